#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <string>

#include "Cp1251.h"
#include "Cp1251Literal.h"

namespace quorrel::cp1251 {
namespace {

#ifdef _WIN32

// Windows' own code page 1251 is an independent table to check ours against.
std::string IconvToUtf8(std::string_view in) {
    const int length = static_cast<int>(in.size());
    std::wstring wide(in.size(), L'\0');
    if (MultiByteToWideChar(1251, MB_ERR_INVALID_CHARS, in.data(), length, wide.data(), length) !=
        length) {
        return "<no code page 1251>";
    }
    std::string output(in.size() * 4, '\0');
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, output.data(),
                                      static_cast<int>(output.size()), nullptr, nullptr);
    output.resize(static_cast<std::size_t>(n));
    return output;
}

#else

// The system's iconv is an independent table to check ours against.
std::string IconvToUtf8(std::string_view in) {
    iconv_t cd = iconv_open("UTF-8", "CP1251");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return "<no iconv>";
    }
    std::string input(in);
    std::string output(in.size() * 4 + 4, '\0');
    char* src = input.data();
    char* dst = output.data();
    std::size_t srcLeft = input.size();
    std::size_t dstLeft = output.size();
    const auto rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1)) {
        return "<iconv failed>";
    }
    output.resize(output.size() - dstLeft);
    return output;
}

#endif

TEST(Cp1251Codec, EveryByteRoundTrips) {
    for (unsigned b = 0; b < 256; ++b) {
        const auto byte = static_cast<std::uint8_t>(b);
        const char32_t ch = ToUnicode(byte);
        ASSERT_EQ(FromUnicode(ch), std::optional<std::uint8_t>(byte)) << "byte " << b;
        const std::string one(1, static_cast<char>(byte));
        const Encoded back = FromUtf8(ToUtf8(one));
        EXPECT_TRUE(back.ok()) << "byte " << b;
        EXPECT_EQ(back.text, one) << "byte " << b;
    }
}

TEST(Cp1251Codec, AgreesWithIconvOnEveryDefinedByte) {
    for (unsigned b = 0; b < 256; ++b) {
        if (b == 0x98) {
            continue;  // undefined in the code page; we map it to U+0098
        }
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(ToUtf8(one), IconvToUtf8(one)) << "byte " << b;
    }
    EXPECT_EQ(ToUnicode(0x98), U'\u0098');
}

TEST(Cp1251Codec, ReportsCharactersWithoutAForm) {
    const Encoded e = FromUtf8(
        "a\xE6\xBC\xA2"
        "b\xC3\xA9"
        "c");  // a 漢 b é c
    EXPECT_EQ(e.text, "abc");
    ASSERT_EQ(e.unmappable.size(), 2u);
    EXPECT_EQ(e.unmappable[0], U'\u6F22');
    EXPECT_EQ(e.unmappable[1], U'\u00E9');
    EXPECT_FALSE(e.invalidUtf8);
    EXPECT_FALSE(e.ok());
}

TEST(Cp1251Codec, RejectsMalformedUtf8) {
    const char* cases[] = {
        "\xC0\xAF",          // overlong slash
        "\xED\xA0\x80",      // surrogate
        "\xF4\x90\x80\x80",  // past U+10FFFF
        "\xD0",              // cut short
        "\x80",              // lone continuation
        "\xFF",
    };
    for (const char* input : cases) {
        const Encoded e = FromUtf8(input);
        EXPECT_TRUE(e.invalidUtf8) << "input " << ToUtf8(input);
        EXPECT_FALSE(e.ok());
    }
}

TEST(Cp1251Codec, RussianTextBothWays) {
    constexpr Cp1251Literal expected = "Привет, Ёжик №5";
    const Encoded e = FromUtf8("Привет, Ёжик №5");
    ASSERT_TRUE(e.ok());
    EXPECT_EQ(e.text, expected.view());
    EXPECT_EQ(ToUtf8(expected), "Привет, Ёжик №5");
}

TEST(Cp1251Case, FoldsLatinAndCyrillicPairs) {
    constexpr Cp1251Literal upper = "ABZАЯЁ";
    constexpr Cp1251Literal lower = "abzаяё";
    EXPECT_TRUE(EqualNoCase(upper, lower));
    EXPECT_FALSE(EqualNoCase("abc", "abd"));
    EXPECT_FALSE(EqualNoCase("abc", "ab"));
    // Ukrainian and Serbian capitals of the code page fold too.
    const std::pair<std::uint8_t, std::uint8_t> pairs[] = {
        {0x80, 0x90}, {0x81, 0x83}, {0x8A, 0x9A}, {0xA1, 0xA2}, {0xA5, 0xB4},
        {0xAA, 0xBA}, {0xAF, 0xBF}, {0xB2, 0xB3}, {0xBD, 0xBE}, {0xA3, 0xBC}};
    for (const auto& [big, small] : pairs) {
        EXPECT_EQ(FoldCase(big), small) << "byte " << int{big};
        EXPECT_EQ(FoldCase(small), small) << "byte " << int{small};
    }
    // Signs that merely sit beside letters are left alone.
    EXPECT_EQ(FoldCase(0xB9), 0xB9);
    EXPECT_EQ(FoldCase('['), '[');
}

TEST(Cp1251Collation, OrdersAlphabeticallyIgnoringCase) {
    constexpr Cp1251Literal ye = "ель";
    constexpr Cp1251Literal yo = "ёж";
    constexpr Cp1251Literal zhe = "жук";
    constexpr Cp1251Literal ya = "Яблоко";
    constexpr Cp1251Literal a = "арбуз";
    EXPECT_LT(CompareNoCase(ye, yo), 0);
    EXPECT_LT(CompareNoCase(yo, zhe), 0);  // Ё sorts between Е and Ж, not by its code
    EXPECT_LT(CompareNoCase(a, ya), 0);
    EXPECT_GT(CompareNoCase(ya, a), 0);
    constexpr Cp1251Literal upper = "ПРОШИВКА Ё";
    constexpr Cp1251Literal lower = "прошивка ё";
    EXPECT_EQ(CompareNoCase(upper, lower), 0);
    EXPECT_LT(CompareNoCase("zebra", a), 0);  // Latin before Cyrillic
    EXPECT_LT(CompareNoCase("Apple", "banana"), 0);
    EXPECT_LT(CompareNoCase("ab", "abc"), 0);
}

}  // namespace
}  // namespace quorrel::cp1251
