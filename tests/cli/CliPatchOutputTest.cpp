// What quorrel-cli writes: the patch bytes, its fields, where they go, and what the patch modes do.
#include <filesystem>

#include "CliFixture.h"
#include "FileSystemName.h"
#include "IniText.h"
#include "SettingsFile.h"

namespace quorrel::test {
namespace {

// Field texts arrive as UTF-8 and go out in Windows-1251; the author line is the fixture's
// settings file's. An image of the accepted size is used without a warning. Standard output is
// binary: its CR LF stay as they are.
TEST_F(CliTest, WritesThePatchByteForByte) {
    const ProcessResult r =
        Run({"-i", Put("full.bin", CountingBytes(11'500'000)), "--id", "0A1B2C3D", "-t", "Привет",
             "-g", "Ёж", "-r", "7", "-d", "«Опис» №1", "-f", "Прошивка", "-o", "-",
             Put("in.dif", GoodDiff())});
    EXPECT_EQ(0, r.exitCode);
    EXPECT_EQ("", r.err);
    EXPECT_FALSE(FileExists(Path("in.smp")));
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
        "   <nord offset=\"0x000010\" from=\"101112\" to=\"01abff\" />\r\n"
        "  </changes>\r\n"
        " </patchdata>\r\n"
        "</patch>";
    EXPECT_EQ(expected, r.out);
}

TEST_F(CliTest, SettingsDefaultToTheFileBesideTheExecutable) {
    // Away from the fixture's own Quorrel.ini, in folders no code page names, below the length
    // past which Windows starts no program.
    std::string folder = dir_.path();
    while (folder.size() < 200) {
        folder += "/Папка 漢";
        std::filesystem::create_directory(PathFromName(folder));
    }
    const std::string program =
        folder + "/" + std::filesystem::path(QUORREL_CLI_PATH).filename().string();
    std::filesystem::copy_file(QUORREL_CLI_PATH, PathFromName(program));
    const ProcessResult r = RunProcess(program, {"-q", Put("a.dif", GoodDiff())});
    EXPECT_EQ(0, r.exitCode) << r.err;
    EXPECT_EQ(std::optional<std::string>(kDefaultNickName),
              IniText(ReadFile(folder + "/Quorrel.ini")).Find("Author Info", "NickName"));
    EXPECT_EQ(std::string(kDefaultNickName),
              Attribute(ReadFile(Path("a.smp")), "author", "nickname"));
}

#ifndef _WIN32
// Started without standard error, a message that comes while a patch is open lands in no patch.
TEST_F(CliTest, MessagesWithoutStandardErrorLandInNoPatch) {
    const std::string good = Put("good.dif", GoodDiff());
    ProcessOptions noStderr;
    noStderr.closed = {2};
    EXPECT_EQ(Run({"--id", "01020304", good, Path("missing.dif")}, noStderr).exitCode, 1);
    EXPECT_EQ(ReadFile(Path("good.smp")), Convert(good, "-"));
}
#endif

// --check, --apply and --revert, of one patch and of several: exit statuses, messages and what is
// written where. Run in the test directory, so the messages name the files as given.
TEST_F(CliTest, PatchModesExitStatusesMessagesAndOutputs) {
    Put("image.bin", "abcdefghijklmnop");
    Put("patched.bin", "abcdXYghijklmnoZ");
    Put("wrong.bin", "abcdefghijkl");
    Put("zeros.bin", std::string(40, '\0'));
    Put("bad.smp", "<patchdata><changes></changes></patchdata>");
    // The last change reaches the image's end, so it carries no old bytes.
    ASSERT_EQ(0, Run({"-q", "-i", Path("image.bin"), "-o", Path("p.smp"),
                      Put("p.dif", DiffBuilder().Nord(4, "XY").Nord(15, "Z").bytes())})
                     .exitCode);
    // More misfits than are listed, the first with more old bytes than are shown.
    std::string many = "<patch><patchdata><changes>\n<nord offset=\"0x0\" from=\"" +
                       Hex(CountingBytes(17)) + "\" to=\"" + Hex(std::string(17, 'X')) + "\"/>\n";
    for (const std::string offset : {"14", "16", "18", "1a", "1c", "1e"}) {
        many += "<nord offset=\"0x" + offset + "\" from=\"" + offset + "\" to=\"59\"/>\n";
    }
    Put("many.smp", many + "</changes></patchdata></patch>");
    // Out of order and overlapping: made in patch order, the later change winning.
    Put("overlap.smp",
        "<patch><patchdata><changes>\n<nord offset=\"0x6\" from=\"6768\" to=\"5151\"/>\n"
        "<nord offset=\"0x5\" from=\"666768\" to=\"525252\"/>\n</changes></patchdata></patch>");
    // Several patches: b only fits on top of a; c, and d given as standard input, clash with
    // it; w fits nowhere.
    const auto smp = [&](const std::string& name, const std::string& nords) {
        Put(name, "<patch><patchdata><changes>\n" + nords + "</changes></patchdata></patch>");
    };
    smp("a.smp", "<nord offset=\"0x2\" from=\"6364\" to=\"5859\"/>\n");
    smp("b.smp", "<nord offset=\"0x3\" from=\"5965\" to=\"5a5a\"/>\n");
    smp("b2.smp", "<nord offset=\"0x3\" from=\"7171\" to=\"5a5a\"/>\n");
    smp("c.smp", "<nord offset=\"0x3\" from=\"6465\" to=\"7a7a\"/>\n");
    smp("w.smp", "<nord offset=\"0x9\" from=\"7171\" to=\"5151\"/>\n");
    Put("ab.bin", "abXZZfghijklmnop");
    const std::string fits = "патч подходит к образу: все изменения применимы\n";
    const std::string noFrom =
        "quorrel-cli: p.smp: у некоторых изменений нет старых байтов (from): они проверены только "
        "на попадание в образ\n";
    // What the patch modes given "-" read from standard input.
    const std::string reverting =
        "<patch><patchdata><changes>\n<nord offset=\"0x4\" "
        "from=\"6566\" to=\"5859\"/>\n</changes></patchdata></patch>";
    const auto patches = [&] {
        std::string all;
        for (const char* name : {"p.smp", "a.smp", "b.smp", "c.smp", "bad.smp"}) {
            all += ReadFile(Path(name)) + "\n";
        }
        return all;
    };
    const std::string before = patches();
    const struct {
        std::vector<std::string> args;
        int status;
        std::string err;
        std::string written = {};  // to out.bin, which holds image.bin's bytes before each run
        std::string out = {};
    } cases[] = {
        {{"--check", "p.smp", "-i", "image.bin"},
         0,
         noFrom + "quorrel-cli: p.smp: патч подходит к образу: все изменения применимы\n"},
        {{"-q", "--apply", "p.smp", "-i", "image.bin", "-o", "out.bin"}, 0, "", "abcdXYghijklmnoZ"},
        {{"-q", "--apply", "p.smp", "-i", "out.bin", "-o", "out.bin"}, 0, "", "abcdXYghijklmnoZ"},
        {{"--revert", "-", "-i", "patched.bin", "-o", "-"}, 0, "", "", "abcdefghijklmnoZ"},
        {{"-q", "--apply", "p.smp", "-i", "image.bin", "-o", "-"}, 0, "", "", "abcdXYghijklmnoZ"},
        {{"--apply", "overlap.smp", "-i", "out.bin", "-o", "out.bin"},
         0,
         "quorrel-cli: overlap.smp: изменения патча перекрываются; они вносятся в порядке "
         "следования\n",
         "abcdeRRRijklmnop"},
        {{"-q", "--check", "p.smp", "-i", "patched.bin"},
         1,
         "quorrel-cli: p.smp: патч уже применён к образу\n"},
        {{"-q", "--apply", "p.smp", "-i", "wrong.bin", "-o", "out.bin"},
         1,
         "quorrel-cli: p.smp: патч не подходит к образу:\n"
         "quorrel-cli: p.smp:   строка 10, смещение 0x00000f: изменение выходит за конец образа\n"},
        {{"--revert", "p.smp", "-i", "patched.bin", "-o", "out.bin"},
         1,
         "quorrel-cli: p.smp: патч нельзя отменить в образе:\n"
         "quorrel-cli: p.smp:   строка 10, смещение 0x00000f: нет старых байтов (from)\n"},
        {{"--check", "bad.smp", "-i", "image.bin"},
         1,
         "quorrel-cli: bad.smp: это не SMP-патч: нет списка изменений <changes>, за которым "
         "следуют </changes>, </patchdata> и </patch>\n"},
        {{"-q", "--check", "many.smp", "-i", "zeros.bin"},
         1,
         "quorrel-cli: many.smp: патч не подходит к образу:\n"
         "quorrel-cli: many.smp:   строка 2, смещение 0x000000: ожидаются байты "
         "000102030405060708090a0b0c0d0e0f..., в образе 00000000000000000000000000000000...\n"
         "quorrel-cli: many.smp:   строка 3, смещение 0x000014: ожидаются байты 14, в образе 00\n"
         "quorrel-cli: many.smp:   строка 4, смещение 0x000016: ожидаются байты 16, в образе 00\n"
         "quorrel-cli: many.smp:   строка 5, смещение 0x000018: ожидаются байты 18, в образе 00\n"
         "quorrel-cli: many.smp:   строка 6, смещение 0x00001a: ожидаются байты 1a, в образе 00\n"
         "quorrel-cli: many.smp:   и ещё неподходящих изменений: 2\n"},
        {{"--check", "p.smp", "-i", "no.bin"},
         1,
         "quorrel-cli: no.bin: Ошибка считывания данных из файла!\n"},
        {{"--check", "no.smp", "-i", "image.bin"},
         1,
         "quorrel-cli: no.smp: Ошибка считывания данных из файла!\n"},
        {{"-q", "--apply", "p.smp", "-i", "image.bin", "-o", "no/out.bin"},
         3,
         "quorrel-cli: no/out.bin: Ошибка открытия файла!\n"},
        {{"-q", "--apply", "p.smp", "-i", "image.bin", "-o", "p.smp"},
         3,
         "quorrel-cli: p.smp: файл не перезаписан: это файл патча\n"},
        {{"--apply", "a.smp", "b.smp", "-i", "out.bin", "-o", "out.bin"},
         0,
         "",
         "abXZZfghijklmnop"},
        {{"--apply", "a.smp", "-", "-i", "image.bin", "-o", "-"}, 0, "", "", "abXYXYghijklmnop"},
        {{"--revert", "a.smp", "b.smp", "-i", "ab.bin", "-o", "-"}, 0, "", "", "abcdefghijklmnop"},
        {{"-q", "--apply", "a.smp", "p.smp", "-i", "image.bin", "-o", "out.bin"},
         0,
         "",
         "abXYXYghijklmnoZ"},
        {{"--check", "a.smp", "p.smp", "-i", "image.bin"},
         0,
         "quorrel-cli: a.smp: " + fits + noFrom + "quorrel-cli: p.smp: " + fits},
        {{"--apply", "b.smp", "a.smp", "-i", "image.bin", "-o", "out.bin"},
         1,
         "quorrel-cli: b.smp: патч не подходит к образу:\n"
         "quorrel-cli: b.smp:   строка 2, смещение 0x000003: ожидаются байты 5965, в образе "
         "6465\n"},
        {{"--apply", "a.smp", "c.smp", "b.smp", "-i", "image.bin", "-o", "out.bin"},
         1,
         "quorrel-cli: c.smp: патч не подходит к образу после патча a.smp, изменившего байт по "
         "смещению 0x000003:\n"
         "quorrel-cli: c.smp:   строка 2, смещение 0x000003: ожидаются байты 6465, в образе "
         "5965\n"},
        {{"--revert", "a.smp", "b2.smp", "b.smp", "-i", "ab.bin", "-o", "out.bin"},
         1,
         "quorrel-cli: b2.smp: патч нельзя отменить в образе после отмены патча b.smp, изменившей "
         "байт по смещению 0x000003:\n"
         "quorrel-cli: b2.smp:   строка 2, смещение 0x000003: ожидаются байты 5a5a, в образе "
         "5965\n"},
        {{"--revert", "b.smp", "a.smp", "-i", "ab.bin", "-o", "out.bin"},
         1,
         "quorrel-cli: a.smp: патч нельзя отменить в образе:\n"
         "quorrel-cli: a.smp:   строка 2, смещение 0x000002: ожидаются байты 5859, в образе "
         "585a\n"},
        // A patch that does not fit leaves the image as it was for the later ones.
        {{"--check", "w.smp", "c.smp", "-", "a.smp", "no.smp", "bad.smp", "-i", "image.bin"},
         1,
         "quorrel-cli: w.smp: патч не подходит к образу:\n"
         "quorrel-cli: w.smp:   строка 2, смещение 0x000009: ожидаются байты 7171, в образе 6a6b\n"
         "quorrel-cli: c.smp: " +
             fits +
             "quorrel-cli: <stdin>: патч не подходит к образу после патча c.smp, изменившего байт "
             "по смещению 0x000004:\n"
             "quorrel-cli: <stdin>:   строка 2, смещение 0x000004: ожидаются байты 6566, в образе "
             "7a66\n"
             "quorrel-cli: a.smp: патч не подходит к образу после патча c.smp, изменившего байт по "
             "смещению 0x000003:\n"
             "quorrel-cli: a.smp:   строка 2, смещение 0x000002: ожидаются байты 6364, в образе "
             "637a\n"
             "quorrel-cli: no.smp: Ошибка считывания данных из файла!\n"
             "quorrel-cli: bad.smp: это не SMP-патч: нет списка изменений <changes>, за которым "
             "следуют </changes>, </patchdata> и </patch>\n"},
        {{"--apply", "a.smp", "a.smp", "-i", "image.bin", "-o", "out.bin"},
         1,
         "quorrel-cli: a.smp: патч уже применён к образу\n"},
        {{"--apply", "a.smp", "b.smp", "-i", "image.bin", "-o", "b.smp"},
         3,
         "quorrel-cli: b.smp: файл не перезаписан: это файл патча\n"},
    };
    for (const auto& c : cases) {
        WriteFile(Path("out.bin"), "abcdefghijklmnop");
        const ProcessResult r = Run(c.args, {reverting, dir_.path()});
        EXPECT_EQ(c.status, r.exitCode) << c.args[1];
        EXPECT_EQ(c.err, r.err) << c.args[1];
        EXPECT_EQ(c.out, r.out) << c.args[1];
        EXPECT_EQ(c.written.empty() ? "abcdefghijklmnop" : c.written, ReadFile(Path("out.bin")))
            << c.args[1];
        EXPECT_EQ(before, patches()) << c.args[1];
    }

    // A change longer than the reader's buffer and the pieces it is compared in, applied in
    // place (a second link keeps the file from being replaced, so it is written into while it is
    // read) and reverted again.
    const std::string original = CountingBytes(1'500'000, 3);
    const std::string bytes = CountingBytes(600'000, 77);
    Put("large.bin", original);
    ASSERT_EQ(0, Run({"-q", "-i", Path("large.bin"), "-o", Path("large.smp"),
                      Put("large.dif", DiffBuilder().Nord(1000, bytes).bytes())})
                     .exitCode);
    std::filesystem::create_hard_link(PathFromName(Path("large.bin")),
                                      PathFromName(Path("link.bin")));
    const ProcessOptions here{"", dir_.path()};
    ASSERT_EQ(0,
              Run({"--apply", "large.smp", "-i", "large.bin", "-o", "large.bin"}, here).exitCode);
    EXPECT_TRUE(ReadFile(Path("link.bin")) ==
                std::string(original).replace(1000, bytes.size(), bytes));
    EXPECT_TRUE(Run({"--revert", "large.smp", "-i", "large.bin", "-o", "-"}, here).out == original);
}

}  // namespace
}  // namespace quorrel::test
