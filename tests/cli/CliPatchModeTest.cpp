// --check, --apply and --revert: exit statuses, messages and what is written where.
#include <gtest/gtest.h>

#include <filesystem>

#include "CliFixture.h"
#include "DiffBuilder.h"

namespace quorrel::test {
namespace {

class CliPatchModeTest : public CliTest {
  protected:
    void SetUp() override {
        CliTest::SetUp();
        image_ = Put("image.bin", "abcdefghijklmnop");
        patched_ = "abcdXYghijklmnoZ";
        // The last change reaches the image's end, so it carries no old bytes.
        const std::string diff = DiffBuilder().Nord(4, "XY").Nord(15, "Z").bytes();
        patch_ = Path("p.smp");
        EXPECT_EQ(0, Run({"-q", "-i", image_, "-o", patch_, Put("p.dif", diff)}).exitCode);
    }

    std::string image_, patched_, patch_;
};

TEST_F(CliPatchModeTest, ExitStatusesMessagesAndOutputs) {
    const std::string noFrom =
        "quorrel-cli: P: у некоторых изменений нет старых байтов (from): они проверены только на "
        "попадание в образ\n";
    const std::string badPatch = Put("bad.smp", "<patchdata><changes></changes></patchdata>");
    const std::string patched = Put("patched.bin", patched_);
    const std::string wrong = Put("wrong.bin", "abcdefghijkl");
    const struct {
        std::vector<std::string> args;
        int status;
        std::string err;  // "P" stands for the patch's path
        std::string written;
    } cases[] = {
        {{"--check", patch_, "-i", image_},
         0,
         noFrom + "quorrel-cli: P: патч подходит к образу: все изменения применимы\n",
         ""},
        {{"-q", "--apply", patch_, "-i", image_, "-o", Path("out.bin")}, 0, "", patched_},
        {{"-q", "--check", patch_, "-i", patched},
         1,
         "quorrel-cli: P: патч уже применён к образу\n",
         ""},
        {{"-q", "--apply", patch_, "-i", wrong, "-o", Path("out.bin")},
         1,
         "quorrel-cli: P: патч не подходит к образу:\n"
         "quorrel-cli: P:   строка 10, смещение 0x00000f: изменение выходит за конец образа\n",
         ""},
        {{"--revert", patch_, "-i", patched, "-o", Path("out.bin")},
         1,
         "quorrel-cli: P: патч нельзя отменить в образе:\n"
         "quorrel-cli: P:   строка 10, смещение 0x00000f: нет старых байтов (from)\n",
         ""},
        {{"--check", badPatch, "-i", image_},
         1,
         "quorrel-cli: " + badPatch +
             ": это не SMP-патч: нет списка изменений <changes>, за которым следуют </changes>, "
             "</patchdata> и </patch>\n",
         ""},
        {{"-q", "--apply", patch_, "-i", image_, "-o", patch_},
         3,
         "quorrel-cli: P: файл не перезаписан: это файл патча\n",
         ""},
        {{"--apply", patch_, "-i", image_},
         2,
         "quorrel-cli: --apply: укажите выходной файл: -o ФАЙЛ\n",
         ""},
        {{"--check", patch_, "-i", image_, "x.dif"},
         2,
         "quorrel-cli: x.dif: DIFF-файлы не используются с --check, --apply и --revert\n",
         ""},
        {{"--check", patch_, "-i", image_, "-t", "T"},
         2,
         "quorrel-cli: -t: параметр не используется в этом режиме\n",
         ""},
        {{"--check", patch_, "--revert", patch_},
         2,
         "quorrel-cli: --revert: допустим только один из параметров --check, --apply и --revert\n",
         ""},
    };
    for (const auto& c : cases) {
        const ProcessResult r = Run(c.args);
        EXPECT_EQ(c.status, r.exitCode) << c.args[1];
        std::string err = r.err;
        for (std::size_t at; (at = err.find(patch_)) != std::string::npos;) {
            err.replace(at, patch_.size(), "P");
        }
        // Usage errors end with the usage lines, which the command-line tests cover.
        EXPECT_EQ(c.err, c.status == 2 ? err.substr(0, c.err.size()) : err) << c.args[1];
        EXPECT_EQ(c.written.empty() ? "<none>" : c.written,
                  FileExists(Path("out.bin")) ? ReadFile(Path("out.bin")) : "<none>")
            << c.args[1];
        std::filesystem::remove(Path("out.bin"));
    }
}

TEST_F(CliPatchModeTest, AppliesInPlaceAndRevertsThroughTheStandardStreams) {
    const std::string patch = Path("q.smp");
    const std::string diff = Put("q.dif", DiffBuilder().Nord(4, "XY").bytes());
    ASSERT_EQ(0, Run({"-q", "-i", image_, "-o", patch, diff}).exitCode);
    const std::string before = ReadFile(patch);
    EXPECT_EQ(0, Run({"--apply", patch, "-i", image_, "-o", image_}).exitCode);
    EXPECT_EQ("abcdXYghijklmnop", ReadFile(image_));
    EXPECT_EQ(before, ReadFile(patch));
    const ProcessResult r = Run({"--revert", "-", "-i", image_, "-o", "-"}, WithInput(before));
    EXPECT_EQ(0, r.exitCode);
    EXPECT_EQ("", r.err);
    EXPECT_EQ("abcdefghijklmnop", r.out);
}

}  // namespace
}  // namespace quorrel::test
