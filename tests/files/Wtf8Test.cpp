#include <gtest/gtest.h>

#include "FileSystemName.h"
#include "Wtf8.h"

namespace quorrel {
namespace {

// Every 16-bit unit survives the trip, unpaired surrogates (which Windows names may hold) in
// their three-byte forms.
TEST(Wtf8, ConvertsBothWays) {
    const std::pair<std::u16string, std::string> cases[] = {
        {u"", ""},
        {u"plain.dif", "plain.dif"},
        {u"\u00E9", "\xC3\xA9"},
        {u"\u0416\u0451", "\xD0\x96\xD1\x91"},
        {u"\u6F22", "\xE6\xBC\xA2"},
        {u"\uFFFF", "\xEF\xBF\xBF"},
        {u"\U0001F600", "\xF0\x9F\x98\x80"},
        {u"\U00010000", "\xF0\x90\x80\x80"},
        {std::u16string(1, u'\0'), std::string(1, '\0')},
        {u"\U0010FFFF", "\xF4\x8F\xBF\xBF"},
        {std::u16string{u'\xD800'}, "\xED\xA0\x80"},
        {std::u16string{u'\xDFFF', u'x'}, "\xED\xBF\xBFx"},
        {std::u16string{u'\xD800', u'x'}, "\xED\xA0\x80x"},
        {std::u16string{u'a', u'\xDC00', u'\xD800'}, "a\xED\xB0\x80\xED\xA0\x80"}};
    for (const auto& [utf16, wtf8] : cases) {
        EXPECT_EQ(Wtf8FromUtf16(utf16), wtf8) << wtf8;
        EXPECT_EQ(Utf16FromWtf8(wtf8), utf16) << wtf8;
    }
    // A view ending on a high surrogate ends there, whatever follows it in memory.
    EXPECT_EQ(Wtf8FromUtf16(std::u16string_view(u"\xD800\xDC00", 1)), "\xED\xA0\x80");
    for (char32_t unit = 0; unit <= 0xFFFF; ++unit) {
        const std::u16string one(1, static_cast<char16_t>(unit));
        ASSERT_EQ(Utf16FromWtf8(Wtf8FromUtf16(one)), one) << std::hex << unsigned{unit};
    }
}

// Lone continuation, cut short, a non-continuation inside, overlong "/", past U+10FFFF. Such
// text names no file on Windows, rather than some other file; POSIX names are bytes, passed on
// untouched. Names of every kind are saved and listed in FilesTest.cpp.
TEST(Wtf8, RefusesMalformedText) {
    for (const char* text :
         {"\x80", "\xC3", "\xE6\xBC", "\xE6\xBCx", "\xC0\xAF", "\xE0\x80\xAF", "\xF0\x80\x80\xAF",
          "\xF4\x90\x80\x80", "\xF8\x88\x80\x80\x80", "\xFF"}) {
        EXPECT_FALSE(Utf16FromWtf8(text).has_value()) << testing::PrintToString(text);
    }
#ifdef _WIN32
    EXPECT_TRUE(PathFromName("bad\xC3").empty());
#else
    EXPECT_EQ(PathFromName("bad\xC3").native(), "bad\xC3");
#endif
}

}  // namespace
}  // namespace quorrel
