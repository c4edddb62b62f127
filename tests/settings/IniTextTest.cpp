#include "IniText.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace quorrel {
namespace {

// "Группа" and "ГРУППА" in Windows-1251; "Ёлка" and "ёЛКА".
const std::string kGroupMixed = "\xC3\xF0\xF3\xEF\xEF\xE0";
const std::string kGroupUpper = "\xC3\xD0\xD3\xCF\xCF\xC0";
const std::string kYoMixed = "\xA8\xEB\xEA\xE0";
const std::string kYoOther = "\xB8\xCB\xCA\xC0";

struct FindCase {
    const char* name;
    std::string text;
    std::string section;
    std::string key;
    std::optional<std::string> expected;
};

const FindCase kFindCases[] = {
    {"BlanksAroundEverything", "  [ A ]  \n   k   =   v w   \n", "A", "k", "v w"},
    {"Tabs", "\t[A]\t\n\tk\t=\tv\t\n", "A", "k", "v"},
    {"MixedLineEnds", "[A]\r\nk=v\nj=w\r\ni=x\n", "A", "i", "x"},
    {"LastCrLfLineWithoutLineEnd", "[A]\r\nk=v", "A", "k", "v"},
    {"BlankValueIsEmpty", "[A]\nk=  \t\n", "A", "k", ""},
    {"DoubleQuotesStripped", "[A]\nk=\"  v  \"\n", "A", "k", "  v  "},
    {"OnlyOnePairStripped", "[A]\nk=\"\"v\"\"\n", "A", "k", "\"v\""},
    {"EmptyQuotes", "[A]\nk=\"\"\n", "A", "k", ""},
    {"MismatchedQuotesKept", "[A]\nk=\"v'\n", "A", "k", "\"v'"},
    {"LoneQuoteKept", "[A]\nk=\"\n", "A", "k", "\""},
    {"InnerQuotesKept", "[A]\nk=a \"b\"\n", "A", "k", "a \"b\""},
    {"EqualsInValue", "[A]\nk=a=b\n", "A", "k", "a=b"},
    {"CommentSkipped", "[A]\n;k=1\nk=2\n", "A", "k", "2"},
    {"IndentedCommentSkipped", "[A]\n \t;k=1\nk=2\n", "A", "k", "2"},
    {"CommentedHeaderSkipped", ";[A]\nk=1\n[A]\nk=2\n", "A", "k", "2"},
    {"LineWithoutEqualsIgnored", "[A]\nk\nk=2\n", "A", "k", "2"},
    {"LaterDuplicateSectionNotSearched", "[A]\nk=1\n[a]\nj=2\n", "A", "j", std::nullopt},
    {"CyrillicYo", "[A]\n" + kYoMixed + "=x\n", "A", kYoOther, "x"},
    {"CyrillicValueUntouched", "[A]\nk=" + kGroupUpper + "\n", "A", "k", kGroupUpper},
    {"ArgumentsTrimmed", "[A]\nk=v\n", " A\t", " k ", "v"},
    {"MissingKey", "[A]\nk=v\n", "A", "j", std::nullopt},
    {"MissingSection", "[A]\nk=v\n", "B", "k", std::nullopt},
    {"KeyOfNextSection", "[A]\n[B]\nk=v\n", "A", "k", std::nullopt},
    {"EntryBeforeAnySection", "k=v\n[A]\n", "A", "k", std::nullopt},
    {"EmptyFile", "", "A", "k", std::nullopt},
    {"EmptyNames", "[A]\n=v\n", "A", "", std::nullopt},
    {"HeaderWithTrailingText", "[A] old\nk=v\n", "A", "k", "v"},
    {"PrefixIsNoMatch", "[AB]\nk=v\n[A]\nkk=1\n", "A", "k", std::nullopt},
    {"StrayCrStaysInValue", "[A]\nk=a\rb\n", "A", "k", "a\rb"},
    {"CrEndingTheFileEndsTheLine", "[A]\nk=v\r", "A", "k", "v"},
    {"SemicolonAfterValueKept", "[A]\n k = \"Me\"  ; no comment\n", "A", "k",
     "\"Me\"  ; no comment"},
    {"CyrillicIsNotAscii", "[Group]\n0=x\n", kGroupUpper, "0", std::nullopt},
};

// What a write then reads back (first key and section, case, quotes) is in the Set table; how
// defaults fill in and append, in tests/settings/SettingsFileTest.cpp.
TEST(IniText, Find) {
    for (const FindCase& c : kFindCases) {
        EXPECT_EQ(IniText(c.text).Find(c.section, c.key), c.expected) << c.name;
    }
}

struct SetCase {
    const char* name;
    std::string before;
    std::string section;
    std::string key;
    std::string value;
    std::string after;
};

const SetCase kSetCases[] = {
    {"ReplacesValueOnly", "; top\n[A]\n  k = old  \nz=1\n", "A", "k", "new",
     "; top\n[A]\n  k = new  \nz=1\n"},
    {"ReplacesInCrLfFile", "[A]\r\nk=old\r\n[B]\r\n", "A", "k", "new", "[A]\r\nk=new\r\n[B]\r\n"},
    {"ReplacesLastLineWithoutLineEnd", "[A]\nk=old", "A", "k", "x", "[A]\nk=x"},
    {"FillsEmptyValue", "[A]\nk=\nj=1\n", "A", "k", "v", "[A]\nk=v\nj=1\n"},
    {"ReplacesQuotedValue", "[A]\nk=\"old\" \n", "A", "k", "new", "[A]\nk=new \n"},
    {"SameValueUnchanged", "[A]\n k = v \r\n", "a", "K", "v", "[A]\n k = v \r\n"},
    {"SameQuotedValueUnchanged", "[A]\nk='v'\n", "A", "k", "v", "[A]\nk='v'\n"},
    {"SameEmptyValueUnchanged", "[A]\nk=\n", "A", "k", "", "[A]\nk=\n"},
    {"FirstOfDuplicateKeys", "[A]\nk=1\nk=2\n", "A", "k", "3", "[A]\nk=3\nk=2\n"},
    {"AddsAfterHeaderOfEmptySection", "[A]\n; c\n\n[B]\n", "A", "j", "2", "[A]\nj=2\n; c\n\n[B]\n"},
    {"AddsEmptyValue", "[A]\r\nk=1\r\n", "A", "j", "", "[A]\r\nk=1\r\nj=\r\n"},
    {"AddsIntoFirstOfDuplicateSections", "[A]\nk=1\n[a]\nj=1\n", "A", "j", "2",
     "[A]\nk=1\nj=2\n[a]\nj=1\n"},
    {"AddsIntoCyrillicSection", "[" + kGroupMixed + "]\n0=x\n[B]\n", kGroupUpper, "1", "y",
     "[" + kGroupMixed + "]\n0=x\n1=y\n[B]\n"},
    {"AddsAfterEntryWithoutLineEnd", "[A]\r\nk=1", "A", "j", "2", "[A]\r\nk=1\r\nj=2"},
    {"AddsAfterHeaderWithoutLineEnd", "x\n[A]", "A", "j", "2", "x\n[A]\nj=2"},
    {"SkipsCommentedEntryAsLast", "[A]\nk=1\n;z=0\n", "A", "j", "2", "[A]\nk=1\nj=2\n;z=0\n"},
    {"AppendsSectionAfterMissingLineEnd", "[A]\r\nk=1", "B", "j", "2",
     "[A]\r\nk=1\r\n[B]\r\nj=2\r\n"},
    {"AppendsSectionAfterTrailingText", "; only", "B", "j", "2", "; only\r\n[B]\r\nj=2\r\n"},
    {"FirstLineEndDecides", "; a\n; b\r\n", "B", "j", "2", "; a\n; b\r\n[B]\nj=2\n"},
    // Long enough to sit on the heap, so a look before the first byte shows under ASan.
    {"FileStartingWithALineEnd", "\n[Author Info]\nNickName=x\n", "Author Info", "www", "w",
     "\n[Author Info]\nNickName=x\nwww=w\n"},
    {"SectionNameTrimmed", "", " B ", " j ", "2", "[B]\r\nj=2\r\n"},
    {"LeadingBlankQuoted", "[A]\nk=1\n", "A", "k", " v", "[A]\nk=\" v\"\n"},
    {"TrailingTabQuoted", "[A]\nk=1\n", "A", "k", "v\t", "[A]\nk=\"v\t\"\n"},
    {"LoneQuoteAsIs", "[A]\nk=1\n", "A", "k", "\"", "[A]\nk=\"\n"},
    {"InnerQuotesAsIs", "[A]\nk=1\n", "A", "k", "a\"b'", "[A]\nk=a\"b'\n"},
    {"SemicolonValueAsIs", "[A]\nk=1\n", "A", "k", ";v", "[A]\nk=;v\n"},
    {"BracketValueAsIs", "[A]\nk=1\n", "A", "k", "[v]", "[A]\nk=[v]\n"},
    {"EqualsValueAsIs", "[A]\nk=1\n", "A", "k", "=v=", "[A]\nk==v=\n"},
    // A lone CR ending the file is a half-written line end: an LF completes it, so the header
    // above does not turn into another line.
    {"AddsAfterHeaderEndingInLoneCr", "]\n[k\r", "k", "v", "", "]\n[k\r\nv="},
    {"AppendsSectionAfterLoneCr", "[A]\r\nk=1\r", "B", "j", "2", "[A]\r\nk=1\r\n[B]\r\nj=2\r\n"},
};

// Writes the engine refuses are replayed from fuzz/corpus/ini_text/refused-writes; values that
// look quoted already, from odd-lf-no-final-eol.
TEST(IniText, SetChangesOnlyWhatItMust) {
    for (const SetCase& c : kSetCases) {
        IniText ini(c.before);
        EXPECT_EQ(ini.Set(c.section, c.key, c.value), true) << c.name;
        EXPECT_EQ(ini.bytes(), c.after) << c.name;
        EXPECT_EQ(ini.Find(c.section, c.key), c.value) << c.name;
    }
}

}  // namespace
}  // namespace quorrel
