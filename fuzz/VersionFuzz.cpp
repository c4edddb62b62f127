// The version rule against a plain restatement of it, plus its two invariants: nothing past the
// 31st character counts, and every value written in decimal reads back as itself.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "FuzzRequire.h"
#include "ParseVersion.h"

namespace {

// Blanks and tabs, an optional plus, digits, blanks and tabs, and nothing else; a value of zero
// only from a leading digit 0; values past the largest 32-bit one clamp to it.
std::optional<std::uint32_t> Rule(std::string_view text) {
    text = text.substr(0, 31);
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view rest = text.substr(first);
    const bool plus = rest.front() == '+';
    if (plus) {
        rest.remove_prefix(1);
    }
    const std::size_t digitsEnd = std::min(rest.find_first_not_of("0123456789"), rest.size());
    const std::string_view digits = rest.substr(0, digitsEnd);
    if (rest.substr(digitsEnd).find_first_not_of(" \t") != std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view significant =
        digits.substr(std::min(digits.find_first_not_of('0'), digits.size()));
    if (significant.empty()) {
        // Zero: accepted only when the first character was a digit (and so a 0).
        return !plus && !digits.empty() ? std::optional<std::uint32_t>(0) : std::nullopt;
    }
    if (significant.size() > 10 ||
        (significant.size() == 10 && significant > std::string_view("4294967295"))) {
        return 4294967295u;
    }
    return static_cast<std::uint32_t>(std::stoull(std::string(significant)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<std::uint32_t> parsed = quorrel::ParseVersion(text);
    QUORREL_REQUIRE(parsed == Rule(text));
    QUORREL_REQUIRE(parsed == quorrel::ParseVersion(text.substr(0, 31)));
    if (parsed) {
        QUORREL_REQUIRE(quorrel::ParseVersion(std::to_string(*parsed)) == parsed);
    }
    if (size >= 4) {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            value = value << 8 | data[i];
        }
        QUORREL_REQUIRE(quorrel::ParseVersion(std::to_string(value)) ==
                        std::optional<std::uint32_t>(value));
        QUORREL_REQUIRE(quorrel::ParseVersion(" +" + std::to_string(value) + "\t") ==
                        (value == 0 ? std::nullopt : std::optional<std::uint32_t>(value)));
    }
    return 0;
}
