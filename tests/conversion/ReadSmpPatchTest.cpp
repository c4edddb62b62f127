#include <gtest/gtest.h>

#include <numeric>

#include "BufferedBytes.h"
#include "Cp1251.h"
#include "PieceBytes.h"
#include "ReadSmpPatch.h"

namespace quorrel {
namespace {

// Reads `text` held whole, and checks that it reads the same in two pieces cut anywhere (in a
// tag, a hex pair, a CR LF...), in pieces of one to three bytes, and through a small buffer.
SmpReadResult Read(const std::string& text) {
    const SmpReadResult whole = ReadSmpPatch(text);
    const auto same = [&](ByteSource&& bytes) {
        const SmpReadResult read = ReadSmpPatch(bytes);
        return read.error == whole.error && read.changes == whole.changes;
    };
    for (std::uint64_t cut = 1; cut < text.size(); ++cut) {
        EXPECT_TRUE(same(test::PieceBytes(text, {cut}))) << "cut at " << cut << " of " << text;
    }
    for (std::uint64_t step = 1; step <= 3; ++step) {
        std::vector<std::uint64_t> cuts(text.size() / step);
        std::iota(cuts.begin(), cuts.end(), 1);
        for (std::uint64_t& cut : cuts) {
            cut *= step;
        }
        EXPECT_TRUE(same(test::PieceBytes(text, cuts))) << "pieces of " << step << " of " << text;
    }
    const auto file = [&](std::uint64_t size) {
        return BufferedBytes(
            size,
            [&](std::uint64_t offset, std::uint8_t* out, std::size_t n) {
                const std::string got = text.substr(std::min<std::size_t>(offset, text.size()), n);
                std::copy(got.begin(), got.end(), out);
                return static_cast<std::int64_t>(got.size());
            },
            128);
    };
    EXPECT_TRUE(same(file(text.size()))) << text;
    // Cut after its size was taken: unreadable, never half read.
    BufferedBytes cutFile = file(text.size() + 1);
    const SmpReadResult cut = ReadSmpPatch(cutFile);
    EXPECT_EQ(cp1251::ToUtf8(cut.error), "Ошибка считывания данных из файла!") << text;
    return whole;
}

// Change elements start on line 4.
std::string Doc(const std::string& changes, const std::string& firmware = "FW1") {
    return "<patch version=\"0.3\">\r\n <patchdata firmware=\"" + firmware +
           "\">\r\n  <changes>\r\n" + changes + "  </changes>\r\n </patchdata>\r\n</patch>";
}

const std::string kTwo =
    "   <nord offset=\"0x000010\" from=\"1011\" to=\"0102\" />\r\n"
    "   <nord offset=\"0x000abc\" to=\"ff\" />\r\n";

TEST(ReadSmpPatchTest, ReadsEveryAcceptedVariationOfTheSameTwoChanges) {
    const SmpChanges expected = {{16, "\x10\x11", "\x01\x02", 4}, {2748, std::nullopt, "\xff", 5}};
    const std::string hostile =
        "x\" <nord offset=\"0x1\" to=\"00\"/> <changes> </changes></patchdata></patch> <patchdata";
    const std::string firmware =
        "<nord offset='0x1' to='00'/> <changes> </changes></patchdata></patch> <patchdata";
    const std::string cases[] = {
        Doc(kTwo),
        // LF line ends, tabs, space around '=' and before '/>', attributes in any order.
        "<patch>\n<patchdata firmware='x'>\n<changes >\n\t<nord to = \"0102\"\tfrom='1011' "
        "offset=\"0x10\"/>\n<nord\n  to=\"FF\"\n  offset=\"0X00000000ABC\"/>\n</changes\n>"
        "</patchdata ></patch>\r\n \t",
        // Header fields hold anything, the element names included; the firmware anything but
        // the quote around it.
        "<patch> <info title=\"" + hostile + "\">\r\n <patchdata firmware=\"" + firmware +
            "\">\r\n<changes>\r\n<nord offset=\"0x10\" from=\"1011\" to=\"0102\"/>\r\n"
            "<nord offset='0xAbC' to='fF' /></changes></patchdata></patch>",
        // A patchdata element without attributes.
        "<patch>\n<patchdata>\n<changes>\n<nord offset=\"0x10\" from=\"1011\" to=\"0102\"/>\n"
        "<nord offset=\"0xabc\" to=\"ff\"/></changes></patchdata></patch>",
    };
    for (const std::string& text : cases) {
        const SmpReadResult read = Read(text);
        EXPECT_EQ("", cp1251::ToUtf8(read.error)) << text;
        EXPECT_EQ(read.changes, expected) << text;
    }
}

TEST(ReadSmpPatchTest, RefusesWhatCannotBeAPatchNamingTheLine) {
    const std::string notSmp =
        "это не SMP-патч: нет списка изменений <changes>, за которым следуют </changes>, "
        "</patchdata> и </patch>";
    const std::string notAttribute =
        "строка 4: ожидается атрибут вида имя=\"значение\" или конец элемента />";
    const std::string notHex = "недопустимый символ в шестнадцатеричных байтах";
    const std::string onlyThese =
        "строка 4: у <nord> допустимы только атрибуты offset, from и to, каждый один раз";
    const std::string notNord = "ожидается элемент <nord .../> или </changes>";
    const std::string badOffset =
        "строка 4: смещение должно быть шестнадцатеричным числом вида 0x1234";
    // Text and error; an empty error: accepted.
    const std::pair<std::string, std::string> cases[] = {
        {"", notSmp},
        {Doc(kTwo).substr(0, Doc(kTwo).size() - 1), notSmp},
        {Doc(kTwo).substr(0, Doc(kTwo).size() - 2) + "x>", notSmp},
        {"<patch>\n<changes>\n</changes></patchdata></patch>",
         "строка 2: перед <changes> нет элемента <patchdata>"},
        {"<patch>\n<patchdatax>\n<changes>\n</changes></patchdata></patch>",
         "строка 3: перед <changes> нет элемента <patchdata>"},
        // Nothing before it: a look before the text would show under the sanitizer.
        {"  <changes></changes></patchdata></patch>",
         "строка 1: перед <changes> нет элемента <patchdata>"},
        {"<changes>\n</changes></patchdata></patch>",
         "строка 1: перед <changes> нет элемента <patchdata>"},
        {Doc(kTwo + "<nord offset=\"0x1\" to=\"012\"/>"),
         "строка 6: нечётное число шестнадцатеричных цифр"},
        {Doc(kTwo + "<nord offset=\"0x1\" to=\"0g\"/>"), "строка 6: " + notHex},
        {Doc("<nord offset=\"0x1\" from=\"x0\" to=\"00\"/>"), "строка 4: " + notHex},
        {Doc("<nord offset=\"0x1\" from=\"00\"\n to=\"0000\"/>"),
         "строка 4: from и to разной длины"},
        {Doc("<nord offset=\"0x100000000\" to=\"\"/>"), "строка 4: смещение больше 32 бит"},
        {Doc("<nord offset=\"0x00000000ffffffff\" to=\"00\"/>"), ""},
        {Doc("<nord offset=\"0xffffffff\" to=\"0000\"/>"),
         "строка 4: изменение выходит за границу 4 ГиБ"},
        {Doc("<nord offset=\"16\" to=\"00\"/>"), badOffset},
        {Doc("<nord offset=\"0x\" to=\"00\"/>"), badOffset},
        {Doc("<nord offset=\"1x1\" to=\"00\"/>"), badOffset},
        {Doc("<nord offset=\"0x1\" to=\"00\" za-Z_A:0.9=\"1\"/>"), onlyThese},
        {Doc("<nord offset=\"0x1\" to=\"00\" to=\"00\"/>"), onlyThese},
        {Doc("\n<nord offset=\"0x1\" from=\"00\"/>"),
         "строка 5: у <nord> нет атрибута offset или to"},
        {Doc("<nord offset=\"0x1\"to=\"00\"/>"), notAttribute},
        {Doc("<nord offset=\"0x1\" to=\"00\"></nord>"), notAttribute},
        {Doc("<nord offset=\"0x1\" to=\"00/>"), notAttribute},
        {Doc("<nord to=\"00\" offset=\"0x1/>"), notAttribute},
        {Doc("<nord to=x00x offset=\"0x1\"/>"), notAttribute},
        {Doc("<nord offset=\"0x1\" to= />"), notAttribute},
        {Doc(kTwo + "<!-- x -->"), "строка 6: " + notNord},
        // A second list inside the first hides nothing: neither the changes before it...
        {Doc(kTwo + "<changes>\r\n"), "строка 6: " + notNord},
        {Doc(kTwo + "<patchdata>\r\n<changes>\r\n"), "строка 6: " + notNord},
        {Doc(kTwo + "</changes></patchdata></patch>\r\n<patch><patchdata><changes>\r\n"),
         "строка 6: " + notNord},
        // ...nor those after it.
        {Doc("<changes>\r\n" + kTwo), "строка 4: " + notNord},
        {"<patch>\n<patchdata firmware=\"a\">\n<changes><changes>\n" + kTwo +
             "</changes></patchdata></patch>",
         "строка 3: " + notNord},
        // Only a whole start tag leads the list.
        {"<patch>\n<patchdata firmware=\"a\"b\">\n<changes>\n</changes></patchdata></patch>",
         "строка 3: перед <changes> нет элемента <patchdata>"},
        {"<patch>\n<patchdata firmware!\"a\">\n<changes>\n</changes></patchdata></patch>",
         "строка 3: перед <changes> нет элемента <patchdata>"},
        {"<patch>\n<patchdata firmware=\"a\">\n<x/><changes>\n</changes></patchdata></patch>",
         "строка 3: перед <changes> нет элемента <patchdata>"},
        {Doc("/>"), "строка 4: " + notNord},
        {Doc("<nordx offset=\"0x1\" to=\"00\"/>"), "строка 4: " + notNord},
    };
    for (const auto& [text, error] : cases) {
        const SmpReadResult read = Read(text);
        EXPECT_EQ(error, cp1251::ToUtf8(read.error)) << text;
        EXPECT_EQ(error.empty(), read.changes.size() == 1) << text;
    }
}

}  // namespace
}  // namespace quorrel
