// --check, --apply and --revert: exit statuses, messages and what is written where.
#include <filesystem>

#include "CliFixture.h"

namespace quorrel::test {
namespace {

TEST_F(CliTest, PatchModesExitStatusesMessagesAndOutputs) {
    const std::string image = Put("image.bin", "abcdefghijklmnop");
    const std::string patched = Put("patched.bin", "abcdXYghijklmnoZ");
    // The last change reaches the image's end, so it carries no old bytes.
    const std::string patch = Path("p.smp");
    ASSERT_EQ(0, Run({"-q", "-i", image, "-o", patch,
                      Put("p.dif", DiffBuilder().Nord(4, "XY").Nord(15, "Z").bytes())})
                     .exitCode);
    // More misfits than are listed, the first with more old bytes than are shown.
    const std::string many = Path("many.smp");
    ASSERT_EQ(0, Run({"-q", "-i", Put("count.bin", CountingBytes(40)), "-o", many,
                      Put("many.dif", DiffBuilder()
                                          .Nord(0, std::string(17, 'X'))
                                          .Nord(20, "Y")
                                          .Nord(22, "Y")
                                          .Nord(24, "Y")
                                          .Nord(26, "Y")
                                          .Nord(28, "Y")
                                          .Nord(30, "Y")
                                          .bytes())})
                     .exitCode);
    const std::string noFrom =
        "quorrel-cli: P: у некоторых изменений нет старых байтов (from): они проверены только на "
        "попадание в образ\n";
    const std::string badPatch = Put("bad.smp", "<patchdata><changes></changes></patchdata>");
    const std::string out = Path("out.bin");
    const struct {
        std::vector<std::string> args;
        int status;
        std::string err;  // "P" stands for the patch's path
        std::string written;
    } cases[] = {
        {{"--check", patch, "-i", image},
         0,
         noFrom + "quorrel-cli: P: патч подходит к образу: все изменения применимы\n",
         "<none>"},
        {{"-q", "--apply", patch, "-i", image, "-o", out}, 0, "", "abcdXYghijklmnoZ"},
        {{"-q", "--check", patch, "-i", patched},
         1,
         "quorrel-cli: P: патч уже применён к образу\n",
         "<none>"},
        {{"-q", "--apply", patch, "-i", Put("wrong.bin", "abcdefghijkl"), "-o", out},
         1,
         "quorrel-cli: P: патч не подходит к образу:\n"
         "quorrel-cli: P:   строка 10, смещение 0x00000f: изменение выходит за конец образа\n",
         "<none>"},
        {{"--revert", patch, "-i", patched, "-o", out},
         1,
         "quorrel-cli: P: патч нельзя отменить в образе:\n"
         "quorrel-cli: P:   строка 10, смещение 0x00000f: нет старых байтов (from)\n",
         "<none>"},
        {{"--check", badPatch, "-i", image},
         1,
         "quorrel-cli: " + badPatch +
             ": это не SMP-патч: нет списка изменений <changes>, за которым следуют </changes>, "
             "</patchdata> и </patch>\n",
         "<none>"},
        {{"-q", "--check", many, "-i", Put("zeros.bin", std::string(40, '\0'))},
         1,
         "quorrel-cli: P: патч не подходит к образу:\n"
         "quorrel-cli: P:   строка 9, смещение 0x000000: ожидаются байты "
         "000102030405060708090a0b0c0d0e0f..., в образе 00000000000000000000000000000000...\n"
         "quorrel-cli: P:   строка 10, смещение 0x000014: ожидаются байты 14, в образе 00\n"
         "quorrel-cli: P:   строка 11, смещение 0x000016: ожидаются байты 16, в образе 00\n"
         "quorrel-cli: P:   строка 12, смещение 0x000018: ожидаются байты 18, в образе 00\n"
         "quorrel-cli: P:   строка 13, смещение 0x00001a: ожидаются байты 1a, в образе 00\n"
         "quorrel-cli: P:   и ещё неподходящих изменений: 2\n",
         "<none>"},
        {{"--check", patch, "-i", Path("no.bin")},
         1,
         "quorrel-cli: " + Path("no.bin") + ": Ошибка считывания данных из файла!\n",
         "<none>"},
        {{"-q", "--apply", patch, "-i", image, "-o", patch},
         3,
         "quorrel-cli: P: файл не перезаписан: это файл патча\n",
         "<none>"},
    };
    for (const auto& c : cases) {
        const ProcessResult r = Run(c.args);
        EXPECT_EQ(c.status, r.exitCode) << c.args[1];
        std::string err = r.err;
        for (const std::string& path : {patch, many}) {
            for (std::size_t at; (at = err.find(path)) != std::string::npos;) {
                err.replace(at, path.size(), "P");
            }
        }
        EXPECT_EQ(c.err, err) << c.args[1];
        EXPECT_EQ(c.written, FileExists(out) ? ReadFile(out) : "<none>") << c.args[1];
        std::filesystem::remove(out);
    }
}

TEST_F(CliTest, PatchAppliesInPlaceAndRevertsThroughTheStandardStreams) {
    const std::string image = Put("image.bin", "abcdefghijklmnop");
    const std::string patch = Path("q.smp");
    ASSERT_EQ(
        0, Run({"-q", "-i", image, "-o", patch, Put("q.dif", DiffBuilder().Nord(4, "XY").bytes())})
               .exitCode);
    const std::string before = ReadFile(patch);
    EXPECT_EQ(0, Run({"--apply", patch, "-i", image, "-o", image}).exitCode);
    EXPECT_EQ("abcdXYghijklmnop", ReadFile(image));
    EXPECT_EQ(before, ReadFile(patch));
    const ProcessResult r = Run({"--revert", "-", "-i", image, "-o", "-"}, {before});
    EXPECT_EQ(0, r.exitCode);
    EXPECT_EQ("", r.err);
    EXPECT_EQ("abcdefghijklmnop", r.out);
}

}  // namespace
}  // namespace quorrel::test
