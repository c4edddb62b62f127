// What quorrel-cli writes: the patch bytes, its fields and where they go.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "CliFixture.h"
#include "DiffBuilder.h"
#include "IniText.h"
#include "SettingsFile.h"

namespace quorrel::test {
namespace {

constexpr const char* kNoImageWarning =
    "quorrel-cli: Внимание! BIN File не открыт.\n"
    "quorrel-cli: Без него smp-patch будет не полным.\n";

std::string OneBlockDiff(std::string_view firmware = "FW1") {
    return DiffBuilder(firmware).Nord(0x10, "\x01\xab\xff").bytes();
}

// The value of an attribute of the first such element, or "<none>".
std::string Attribute(const std::string& patch, const std::string& element,
                      const std::string& name) {
    const auto start = patch.find("<" + element + " ");
    const auto end = patch.find('>', start);
    const auto at = patch.find(" " + name + "=\"", start);
    if (start == std::string::npos || at == std::string::npos || at > end) {
        return "<none>";
    }
    const auto begin = at + name.size() + 3;
    return patch.substr(begin, patch.find('"', begin) - begin);
}

TEST_F(CliTest, WritesThePatchByteForByte) {
    const std::string diff = Put("in.dif", DiffBuilder("FW1")
                                               .Nord(0x10, "\x01\xab\xff")
                                               .Nord(kImageSize - 6, std::string("\x00\x10", 2))
                                               .Nord(kImageSize - 7, "\x22\x33")
                                               .Nord(0x1234567, "\x7f")
                                               .Nord(0xAB, "")
                                               .bytes());
    const ProcessResult r = Run({"-i", FullImagePath(), "--id", "0A1B2C3D", "-t", "Title", "-g",
                                 "Grp", "-r", "7", "-d", "Desc", "-o", Path("out.smp"), diff});
    EXPECT_EQ(0, r.exitCode);
    EXPECT_EQ("", r.err);
    EXPECT_EQ("", r.out);
    // The author line is the fixture's settings file's.
    const std::string expected =
        "<?xml version=\"1.0\" encoding=\"Windows-1251\"?>\r\n"
        "<patch version=\"0.3\">\r\n"
        " <info title=\"Title\" id=\"0A1B2C3D\" group=\"Grp\" version=\"7\">\r\n"
        "  <description short=\"Desc\"/>\r\n" +
        std::string(kAuthorLine) +
        "\r\n"
        " </info>\r\n"
        " <patchdata firmware=\"FW1\">\r\n"
        "  <changes>\r\n"
        "   <nord offset=\"0x000010\" from=\"737a81\" to=\"01abff\" />\r\n"
        // offset + count is the image size: no old bytes although they would fit
        "   <nord offset=\"0xaf79da\" to=\"0010\" />\r\n"
        "   <nord offset=\"0xaf79d9\" from=\"f2f9\" to=\"2233\" />\r\n"
        "   <nord offset=\"0x1234567\" to=\"7f\" />\r\n"
        "   <nord offset=\"0x0000ab\" from=\"\" to=\"\" />\r\n"
        "  </changes>\r\n"
        " </patchdata>\r\n"
        "</patch>";
    EXPECT_EQ(expected, ReadFile(Path("out.smp")));
}

TEST_F(CliTest, WithoutImageWarnsOnceAndWritesNoOldBytes) {
    const std::string a = Put("a.dif", OneBlockDiff());
    const std::string b = Put("b.dif", OneBlockDiff());
    const ProcessResult r = Run({a, b});
    EXPECT_EQ(0, r.exitCode);
    EXPECT_EQ(kNoImageWarning, r.err);
    for (const char* name : {"a.smp", "b.smp"}) {
        const std::string patch = ReadFile(Path(name));
        EXPECT_EQ("<none>", Attribute(patch, "nord", "from")) << name;
        EXPECT_EQ("01abff", Attribute(patch, "nord", "to")) << name;
    }
}

TEST_F(CliTest, QuietDropsWarningsButNotTheWork) {
    const std::string small = Put("small.bin", CountingBytes(64, 0x40));
    for (const std::vector<std::string>& extra :
         {std::vector<std::string>{}, std::vector<std::string>{"-i", small}}) {
        std::vector<std::string> args{"-q", Put("a.dif", OneBlockDiff())};
        args.insert(args.end(), extra.begin(), extra.end());
        const ProcessResult r = Run(args);
        EXPECT_EQ(0, r.exitCode);
        EXPECT_EQ("", r.err);
        EXPECT_TRUE(FileExists(Path("a.smp")));
        std::filesystem::remove(Path("a.smp"));
    }
}

TEST_F(CliTest, TooSmallImageWarnsAndStillGivesOldBytes) {
    const std::string small = Put("small.bin", CountingBytes(64, 0x40));
    const std::string diff =
        Put("a.dif", DiffBuilder().Nord(4, "\x01\x02").Nord(60, "\x03").bytes());
    const ProcessResult r = Run({"-i", small, diff});
    EXPECT_EQ(0, r.exitCode);
    EXPECT_EQ("quorrel-cli: " + small + ": Некорректный BIN-файл!\n" + kNoImageWarning, r.err);
    const std::string patch = ReadFile(Path("a.smp"));
    EXPECT_NE(std::string::npos, patch.find("<nord offset=\"0x000004\" from=\"4445\" to=\"0102\""))
        << patch;
    // 60 + 5 runs past the 64 bytes
    EXPECT_NE(std::string::npos, patch.find("<nord offset=\"0x00003c\" to=\"03\""));
}

TEST_F(CliTest, FieldTextsAreWrittenInWindows1251) {
    const ProcessResult r = Run({"-q", "-t", "Привет", "-g", "Ёж", "-d", "«Опис» №1", "-f",
                                 "Прошивка", Put("a.dif", OneBlockDiff())});
    EXPECT_EQ(0, r.exitCode) << r.err;
    const std::string patch = ReadFile(Path("a.smp"));
    EXPECT_EQ("\xCF\xF0\xE8\xE2\xE5\xF2", Attribute(patch, "info", "title"));
    EXPECT_EQ("\xA8\xE6", Attribute(patch, "info", "group"));
    EXPECT_EQ(
        "\xAB\xCE\xEF\xE8\xF1\xBB \xB9"
        "1",
        Attribute(patch, "description", "short"));
    EXPECT_EQ("\xCF\xF0\xEE\xF8\xE8\xE2\xEA\xE0", Attribute(patch, "patchdata", "firmware"));
}

TEST_F(CliTest, FirmwareDefaultsToTheDiffHeaderName) {
    // Header bytes pass into the patch unchanged, whatever they are.
    const ProcessResult r = Run({"-q", Put("a.dif", OneBlockDiff("\xC0\xC1 16-byte-name!"))});
    EXPECT_EQ(0, r.exitCode) << r.err;
    EXPECT_EQ("\xC0\xC1 16-byte-name!",
              Attribute(ReadFile(Path("a.smp")), "patchdata", "firmware"));
}

TEST_F(CliTest, RevisionFollowsTheVersionRule) {
    const struct {
        std::vector<std::string> option;
        std::string written;
    } cases[] = {
        {{}, "1"},
        {{"-r", "00"}, "0"},
        {{"-r", " 7\t "}, "7"},
        {{"--revision=+5"}, "5"},
        {{"-r40"}, "40"},
        {{"-r", "99999999999999999999"}, "4294967295"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"-q", "-o", Path("a.smp"), Put("a.dif", OneBlockDiff())};
        args.insert(args.end(), c.option.begin(), c.option.end());
        const ProcessResult r = Run(args);
        EXPECT_EQ(0, r.exitCode) << r.err;
        EXPECT_EQ(c.written, Attribute(ReadFile(Path("a.smp")), "info", "version")) << c.written;
    }
}

TEST_F(CliTest, IdIsNormalisedToUpperCaseOrDrawn) {
    const std::string diff = Put("a.dif", OneBlockDiff());
    ProcessResult r = Run({"-q", "--id=0a1b2c3d", diff});
    EXPECT_EQ(0, r.exitCode) << r.err;
    EXPECT_EQ("0A1B2C3D", Attribute(ReadFile(Path("a.smp")), "info", "id"));

    r = Run({"-q", diff});
    EXPECT_EQ(0, r.exitCode) << r.err;
    const std::string drawn = Attribute(ReadFile(Path("a.smp")), "info", "id");
    EXPECT_TRUE(std::regex_match(drawn, std::regex("[0-9A-F]{8}"))) << drawn;
    for (std::size_t group = 0; group < 8; group += 2) {
        EXPECT_NE("FF", drawn.substr(group, 2)) << drawn;
    }
}

TEST_F(CliTest, DashOutputWritesThePatchToStandardOutput) {
    const std::string diff = Put("a.dif", OneBlockDiff());
    const ProcessResult r = Run({"-q", "--id", "01020304", "-o", "-", diff});
    EXPECT_EQ(0, r.exitCode) << r.err;
    EXPECT_EQ("", r.err);
    EXPECT_FALSE(FileExists(Path("a.smp")));
    EXPECT_EQ(0u, r.out.find("<?xml version=\"1.0\" encoding=\"Windows-1251\"?>\r\n"));
    EXPECT_EQ("01020304", Attribute(r.out, "info", "id"));
    EXPECT_TRUE(r.out.ends_with("</changes>\r\n </patchdata>\r\n</patch>")) << r.out;
}

TEST_F(CliTest, DashDiffIsReadFromStandardInput) {
    // Zero bytes and high bytes survive: the input is read as binary.
    const std::string diff = DiffBuilder().Nord(0x20, std::string("\x00\xff\x0d\x0a", 4)).bytes();
    ProcessResult r = Run({"-q", "-o", Path("in.smp"), "-"}, WithInput(diff));
    EXPECT_EQ(0, r.exitCode) << r.err;
    EXPECT_EQ("00ff0d0a", Attribute(ReadFile(Path("in.smp")), "nord", "to"));

    // With no name to derive a path from, the patch goes to standard output.
    ProcessOptions options = WithInput(diff);
    options.workingDirectory = dir_.path();
    r = Run({"-q", "-"}, options);
    EXPECT_EQ(0, r.exitCode) << r.err;
    EXPECT_EQ("00ff0d0a", Attribute(r.out, "nord", "to"));
    EXPECT_FALSE(FileExists(Path("-.smp")));
}

TEST_F(CliTest, ImageCanComeFromStandardInput) {
    const std::string diff = Put("a.dif", DiffBuilder().Nord(1, "\x09").bytes());
    const ProcessResult r = Run({"-q", "-i", "-", diff}, WithInput(CountingBytes(8, 0x30)));
    EXPECT_EQ(0, r.exitCode) << r.err;
    EXPECT_EQ("31", Attribute(ReadFile(Path("a.smp")), "nord", "from"));
}

TEST_F(CliTest, MissingSettingsFileGetsTheDefaults) {
    const std::string settings = Path("fresh.ini");
    const ProcessResult r =
        RunProcess(QUORREL_CLI_PATH, {"-q", "--settings", settings, Put("a.dif", OneBlockDiff())});
    EXPECT_EQ(0, r.exitCode) << r.err;
    const IniText ini(ReadFile(settings));
    const struct {
        const char* section;
        const char* key;
        std::string_view value;
    } expected[] = {
        {"Patch Version", "value", kDefaultFormatVersion},
        {"Author Info", "NickName", kDefaultNickName},
        {"Author Info", "FullName", ""},
        {"Author Info", "Email", ""},
        {"Author Info", "www", kDefaultWww},
        {"Author Info", "icq", ""},
    };
    for (const auto& e : expected) {
        EXPECT_EQ(std::optional<std::string>(e.value), ini.Find(e.section, e.key)) << e.key;
    }
    const std::string patch = ReadFile(Path("a.smp"));
    EXPECT_EQ(std::string(kDefaultNickName), Attribute(patch, "author", "nickname"));
    EXPECT_EQ(std::string(kDefaultWww), Attribute(patch, "author", "www"));
    EXPECT_EQ("0.3", Attribute(patch, "patch", "version"));
}

TEST_F(CliTest, SettingsDefaultToTheFileBesideTheExecutable) {
    // Away from the fixture's own Quorrel.ini.
    std::filesystem::create_directory(Path("bin"));
#ifdef _WIN32
    const std::string program = Path("bin/quorrel-cli.exe");
#else
    const std::string program = Path("bin/quorrel-cli");
#endif
    std::filesystem::copy_file(QUORREL_CLI_PATH, program);
    const ProcessResult r = RunProcess(program, {"-q", Put("a.dif", OneBlockDiff())});
    EXPECT_EQ(0, r.exitCode) << r.err;
    EXPECT_EQ(std::optional<std::string>(kDefaultNickName),
              IniText(ReadFile(Path("bin/Quorrel.ini"))).Find("Author Info", "NickName"));
    EXPECT_EQ(std::string(kDefaultNickName),
              Attribute(ReadFile(Path("a.smp")), "author", "nickname"));
}

}  // namespace
}  // namespace quorrel::test
