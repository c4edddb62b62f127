// The version rule's invariants on any text: nothing past the 31st character counts, and every
// value written in decimal, with or without blanks and a plus, reads back as itself. The cases
// with their expected values are in tests/conversion/ParseVersionTest.cpp.
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "FuzzRequire.h"
#include "ParseVersion.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<std::uint32_t> parsed = quorrel::ParseVersion(text);
    QUORREL_REQUIRE(parsed == quorrel::ParseVersion(text.substr(0, 31)));
    if (parsed) {
        QUORREL_REQUIRE(quorrel::ParseVersion(std::to_string(*parsed)) == parsed);
    }
    if (size >= 4) {
        std::uint32_t value = 0;
        std::memcpy(&value, data, sizeof value);
        QUORREL_REQUIRE(quorrel::ParseVersion(std::to_string(value)) ==
                        std::optional<std::uint32_t>(value));
        QUORREL_REQUIRE(quorrel::ParseVersion(" +" + std::to_string(value) + "\t") ==
                        (value == 0 ? std::nullopt : std::optional<std::uint32_t>(value)));
    }
    return 0;
}
