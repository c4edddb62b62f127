// What quorrel-cli writes: the patch bytes, its fields and where they go.
#include <filesystem>

#include "CliFixture.h"
#include "FileSystemName.h"
#include "IniText.h"
#include "SettingsFile.h"

namespace quorrel::test {
namespace {

constexpr std::uint32_t kImageSize = 11'500'000;  // the one size an image is accepted at
TEST_F(CliTest, WritesThePatchByteForByte) {
    std::string image(kImageSize, '\0');
    for (std::uint32_t i = 0; i < kImageSize; ++i) {
        image[i] = static_cast<char>((i * 7u + 3u) & 0xFFu);
    }
    const std::string diff = Put("in.dif", DiffBuilder("FW1")
                                               .Nord(0x10, "\x01\xab\xff")
                                               .Nord(kImageSize - 6, std::string("\x00\x10", 2))
                                               .Nord(kImageSize - 7, "\x22\x33")
                                               .Nord(0x1234567, "\x7f")
                                               .bytes());
    const ProcessResult r =
        Run({"-i", Put("full.bin", image), "--id", "0A1B2C3D", "-t", "Привет", "-g", "Ёж", "-r",
             "7", "-d", "«Опис» №1", "-f", "Прошивка", "-o", Path("out.smp"), diff});
    EXPECT_EQ(0, r.exitCode);
    EXPECT_EQ("", r.err);
    EXPECT_EQ("", r.out);
    // Field texts in Windows-1251; the author line is the fixture's settings file's.
    const std::string expected =
        "<?xml version=\"1.0\" encoding=\"Windows-1251\"?>\r\n"
        "<patch version=\"0.3\">\r\n"
        " <info title=\"\xCF\xF0\xE8\xE2\xE5\xF2\" id=\"0A1B2C3D\" group=\"\xA8\xE6\" "
        "version=\"7\">\r\n"
        "  <description short=\"\xAB\xCE\xEF\xE8\xF1\xBB \xB9"
        "1\"/>\r\n"
        "  <author nickname=\"Nick\" fullname=\"Full Name\" email=\"a@b.example\" "
        "www=\"http://w.example/\" icq=\"12345\"/>\r\n"
        " </info>\r\n"
        " <patchdata firmware=\"\xCF\xF0\xEE\xF8\xE8\xE2\xEA\xE0\">\r\n"
        "  <changes>\r\n"
        "   <nord offset=\"0x000010\" from=\"737a81\" to=\"01abff\" />\r\n"
        // offset + count is the image size: no old bytes although they would fit
        "   <nord offset=\"0xaf79da\" to=\"0010\" />\r\n"
        "   <nord offset=\"0xaf79d9\" from=\"f2f9\" to=\"2233\" />\r\n"
        "   <nord offset=\"0x1234567\" to=\"7f\" />\r\n"
        "  </changes>\r\n"
        " </patchdata>\r\n"
        "</patch>";
    EXPECT_EQ(expected, ReadFile(Path("out.smp")));
}

TEST_F(CliTest, ImageWarningsOnceUnlessQuietAndOldBytesFromAnyImage) {
    const std::string a = Put("a.dif", GoodDiff());
    const std::string b = Put("b.dif", GoodDiff());
    const std::string small = Put("small.bin", CountingBytes(64, 0x40));
    const std::string tooSmall = "quorrel-cli: " + small + ": Некорректный BIN-файл!\n";
    const struct {
        std::vector<std::string> args;
        std::string input;
        std::string err;
        std::string from;  // of the change in a.smp
    } cases[] = {
        {{a, b}, "", kNoImageWarning, "<none>"},
        {{"-q", a}, "", "", "<none>"},
        {{"-i", small, a}, "", tooSmall + kNoImageWarning, "505152"},
        {{"-q", "-i", small, a}, "", "", "505152"},
        {{"-i", "-", a, "-q"}, CountingBytes(64, 0x40), "", "505152"},
    };
    for (const auto& c : cases) {
        const ProcessResult r = Run(c.args, {c.input});
        EXPECT_EQ(0, r.exitCode) << c.args[1];
        EXPECT_EQ(c.err, r.err) << c.args[1];
        EXPECT_EQ(c.from, Attribute(ReadFile(Path("a.smp")), "nord", "from")) << c.args[1];
        std::filesystem::remove(Path("a.smp"));
    }
}

TEST_F(CliTest, StandardStreamsServeForDiffAndPatch) {
    // Zero bytes, CR LF and high bytes survive: the streams are binary.
    const std::string diff = DiffBuilder().Nord(0x20, std::string("\x00\xff\x0d\x0a", 4)).bytes();
    ProcessResult r = Run({"-q", "-o", Path("in.smp"), "-"}, {diff});
    EXPECT_EQ(0, r.exitCode) << r.err;
    EXPECT_EQ("00ff0d0a", Attribute(ReadFile(Path("in.smp")), "nord", "to"));

    // With no name to derive a path from, the patch goes to standard output.
    r = Run({"-q", "-"}, {diff, dir_.path()});
    EXPECT_EQ(0, r.exitCode) << r.err;
    EXPECT_EQ("00ff0d0a", Attribute(r.out, "nord", "to"));
    EXPECT_FALSE(FileExists(Path("-.smp")));

    r = Run({"-q", "--id", "01020304", "-o", "-", Put("a.dif", diff)});
    EXPECT_EQ(0, r.exitCode) << r.err;
    EXPECT_EQ("", r.err);
    EXPECT_FALSE(FileExists(Path("a.smp")));
    EXPECT_EQ(0u, r.out.find("<?xml version=\"1.0\" encoding=\"Windows-1251\"?>\r\n"));
    EXPECT_EQ("01020304", Attribute(r.out, "info", "id"));
    EXPECT_TRUE(r.out.ends_with("</changes>\r\n </patchdata>\r\n</patch>")) << r.out;
}

TEST_F(CliTest, SettingsDefaultToTheFileBesideTheExecutable) {
    // Away from the fixture's own Quorrel.ini, in folders no code page names, below the length
    // past which Windows starts no program.
    std::string folder = dir_.path();
    while (folder.size() < 200) {
        folder += "/Папка 漢";
        std::filesystem::create_directory(PathFromName(folder));
    }
#ifdef _WIN32
    const std::string program = folder + "/quorrel-cli.exe";
#else
    const std::string program = folder + "/quorrel-cli";
#endif
    std::filesystem::copy_file(QUORREL_CLI_PATH, PathFromName(program));
    const ProcessResult r = RunProcess(program, {"-q", Put("a.dif", GoodDiff())});
    EXPECT_EQ(0, r.exitCode) << r.err;
    EXPECT_EQ(std::optional<std::string>(kDefaultNickName),
              IniText(ReadFile(folder + "/Quorrel.ini")).Find("Author Info", "NickName"));
    EXPECT_EQ(std::string(kDefaultNickName),
              Attribute(ReadFile(Path("a.smp")), "author", "nickname"));
}

}  // namespace
}  // namespace quorrel::test
