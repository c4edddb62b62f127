#include "ParseVersion.h"

namespace quorrel {

namespace {

constexpr std::size_t kExamined = 31;
constexpr std::uint64_t kMaximum = 0xFFFFFFFFu;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::optional<std::uint32_t> ParseVersion(std::string_view text) {
    text = text.substr(0, kExamined);
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    if (i == text.size() || text[i] == '-') {
        return std::nullopt;
    }
    const char first = text[i];
    if (first == '+') {
        ++i;
    }
    std::uint64_t value = 0;
    while (i < text.size() && IsDigit(text[i])) {
        value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
        if (value > kMaximum) {
            value = kMaximum;
        }
        ++i;
    }
    if (value == 0 && first != '0') {
        return std::nullopt;
    }
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    if (i != text.size()) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

}  // namespace quorrel
