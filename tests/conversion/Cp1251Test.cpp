#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "Cp1251.h"
#include "Cp1251Literal.h"

namespace quorrel::cp1251 {
namespace {

// Every character with a form maps to the byte that stands for it, and only those 256 do.
TEST(Cp1251Codec, BytesAndCharactersCorrespondOneToOne) {
    std::size_t mapped = 0;
    for (char32_t ch = 0; ch <= 0x10FFFF; ++ch) {
        if (const auto byte = FromUnicode(ch)) {
            ASSERT_EQ(ToUnicode(*byte), ch) << "U+" << std::hex << unsigned{ch};
            ++mapped;
        }
    }
    EXPECT_EQ(mapped, 256u);
    // fuzz/corpus/cp1251/every-byte takes each byte there and back.
    for (unsigned b = 0; b < 256; ++b) {
        const std::uint8_t folded = FoldCase(static_cast<std::uint8_t>(b));
        EXPECT_EQ(FoldCase(folded), folded) << "byte " << b;
    }
    // The one byte the code page leaves undefined; fuzz/Cp1251Fuzz.cpp checks every other one
    // against the system's table.
    EXPECT_EQ(ToUnicode(0x98), U'\u0098');
}

// What UTF-8 becomes and which characters are reported is held against iconv on
// fuzz/corpus/cp1251, one malformed sequence a seed.
TEST(Cp1251Codec, FromUtf8IsOkOnlyWithoutFaults) {
    EXPECT_EQ(FromUtf8("\xC3\xA9").ok(), false);
    EXPECT_EQ(FromUtf8("\xD0").ok(), false);
    // A sequence the view cuts short, though the buffer goes on.
    EXPECT_EQ(FromUtf8(std::string_view("a\xD0\xB0", 2)).invalidUtf8, true);
}

TEST(Cp1251Case, FoldsLatinAndCyrillicPairs) {
    constexpr Cp1251Literal upper = "ABZАЯЁ";
    constexpr Cp1251Literal lower = "abzаяё";
    EXPECT_TRUE(EqualNoCase(upper, lower));
    EXPECT_FALSE(EqualNoCase("abc", "abd"));
    EXPECT_FALSE(EqualNoCase("abc", "ab"));
    // Ukrainian and Serbian capitals of the code page fold too; signs beside letters do not.
    const std::pair<std::uint8_t, std::uint8_t> pairs[] = {
        {0x80, 0x90}, {0x81, 0x83}, {0x8A, 0x9A}, {0xA1, 0xA2}, {0xA5, 0xB4}, {0xAA, 0xBA},
        {0xAF, 0xBF}, {0xB2, 0xB3}, {0xBD, 0xBE}, {0xA3, 0xBC}, {0xB9, 0xB9}, {'[', '['}};
    for (const auto& [big, small] : pairs) {
        EXPECT_EQ(FoldCase(big), small) << "byte " << int{big};
        EXPECT_EQ(FoldCase(small), small) << "byte " << int{small};
    }
}

TEST(Cp1251Collation, OrdersAlphabeticallyIgnoringCase) {
    const std::tuple<const char*, const char*, int> cases[] = {
        {"ель", "ёж", -1},       {"ёж", "жук", -1},  // Ё sorts between Е and Ж, not by its code
        {"арбуз", "Яблоко", -1}, {"Яблоко", "арбуз", 1}, {"ПРОШИВКА Ё", "прошивка ё", 0},
        {"zebra", "арбуз", -1},  // Latin before Cyrillic
        {"Apple", "banana", -1}, {"ab", "abc", -1},      {"abc", "ab", 1},
    };
    for (const auto& [a, b, expected] : cases) {
        const int order = CompareNoCase(FromUtf8(a).text, FromUtf8(b).text);
        EXPECT_EQ((order > 0) - (order < 0), expected) << a << " vs " << b;
    }
}

}  // namespace
}  // namespace quorrel::cp1251
