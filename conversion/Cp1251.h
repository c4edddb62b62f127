#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorrel::cp1251 {

// Every byte has a character; the one undefined byte 0x98 maps to U+0098.
char32_t ToUnicode(std::uint8_t byte);
// The byte for a character, or nothing when Windows-1251 has no form for it.
std::optional<std::uint8_t> FromUnicode(char32_t ch);

// Windows-1251 text as UTF-8.
std::string ToUtf8(std::string_view text);

struct Encoded {
    std::string text;                  // the characters that have a form; the others are left out
    std::vector<char32_t> unmappable;  // characters with no Windows-1251 form, in order
    bool invalidUtf8 = false;          // the input was not well-formed UTF-8
    bool ok() const { return unmappable.empty() && !invalidUtf8; }
};
Encoded FromUtf8(std::string_view utf8);

// Case folding and collation for the window's lists and settings names: Cyrillic included.
std::uint8_t FoldCase(std::uint8_t byte);
bool EqualNoCase(std::string_view a, std::string_view b);
// Alphabetical order ignoring letter case, Ё placed after Е; negative, zero or positive.
int CompareNoCase(std::string_view a, std::string_view b);

}  // namespace quorrel::cp1251
