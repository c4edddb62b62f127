// quorrel-cli killed with SIGKILL while it replaces an existing large patch.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <random>
#include <thread>

#include "CliFixture.h"

namespace quorrel::test {
namespace {

using namespace std::chrono_literals;

// Whether the child holds a temporary file of the patch open: named ones show by name, unnamed
// ones (O_TMPFILE) only among its open descriptors.
bool TemporaryPresent(const std::string& dir, long pid) {
    for (const std::string& name : ListDirectory(dir)) {
        if (name.rfind(".out.smp.", 0) == 0 || name == "out.smp.quorrel-backup") {
            return true;
        }
    }
    std::error_code gone;
    for (const auto& fd :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", gone)) {
        if (std::filesystem::read_symlink(fd.path(), gone).string().rfind(dir + "/#", 0) == 0) {
            return true;
        }
    }
    return false;
}

// A patch with a second name is written in place after its old contents are copied aside: a kill
// there may leave the target mixed, but then the copy is there, whole.
class KillDuringReplace : public CliTest, public ::testing::WithParamInterface<bool> {};

TEST_P(KillDuringReplace, LeavesTheOldPatchOrTheWholeNewOne) {
    const bool linked = GetParam();
    const std::string out = Path("out.smp");
    // 8 MiB of new bytes give a patch of 16 MiB: long enough to be caught mid-write.
    const std::vector<std::string> toNew = ConvertArgs(Put("new.dif", LargeDiff(8 << 20, 2)), out);
    const std::string oldPatch = Convert(Put("old.dif", LargeDiff(8 << 20, 1)), out);
    // How long an uninterrupted replacement takes sets the range of the kill times.
    const ProcessResult timed = RunProcess(QUORREL_CLI_PATH, toNew);
    ASSERT_EQ(timed.exitCode, 0);
    const std::string newPatch = ReadFile(out);
    ASSERT_EQ(oldPatch.size(), newPatch.size());
    ASSERT_NE(oldPatch, newPatch);
    const auto runMicros = static_cast<std::uint64_t>(timed.seconds * 1e6) + 1;

    std::mt19937_64 random(20240601);
    // Enough rounds to hit every stage of the write often; about 20 s in all, whatever the build.
    const int rounds = static_cast<int>(std::clamp(20.0 / timed.seconds, 16.0, 40.0));
    int killedWhileWriting = 0;
    const std::string backup = out + ".quorrel-backup";
    if (linked) {
        ASSERT_EQ(::link(out.c_str(), Path("second.smp").c_str()), 0);
    }
    for (int round = 0; round < rounds; ++round) {
        WriteFile(out, oldPatch);
        Process child(QUORREL_CLI_PATH, toNew);
        bool sawTemporary = false;
        // Odd rounds wait for the temporary file, to land in the write, the sync or the rename;
        // even ones kill anywhere, start-up and reading included.
        const auto give_up = std::chrono::steady_clock::now() + 10s;
        while (round % 2 == 1 && !(sawTemporary = TemporaryPresent(dir_.path(), child.pid())) &&
               std::chrono::steady_clock::now() < give_up) {
            std::this_thread::sleep_for(50us);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % runMicros));
        child.Kill(SIGKILL);
        const ProcessResult result = child.Wait();
        if (sawTemporary && result.signal == SIGKILL) {
            ++killedWhileWriting;
        }

        const std::string now = ReadFile(out);
        const bool copied = FileExists(backup);
        if (copied) {
            ASSERT_TRUE(ReadFile(backup) == oldPatch)
                << "round " << round << ": the copy is not the old patch";
            ::unlink(backup.c_str());
        }
        ASSERT_TRUE(now == oldPatch || now == newPatch || copied)
            << "round " << round << ": the patch holds " << now.size()
            << " bytes that are neither the old nor the new patch, and no copy was kept";
    }
    EXPECT_GT(killedWhileWriting, 0) << "no kill landed while the patch was being written";

    // Temporary files a kill left behind must not trip a later save.
    WriteFile(out, oldPatch);
    const ProcessResult later = RunProcess(QUORREL_CLI_PATH, toNew);
    EXPECT_EQ(later.exitCode, 0) << later.err;
    EXPECT_TRUE(ReadFile(out) == newPatch) << "the save after the kills wrote something else";
    // The temporary has a name only between its sync and the rename, an instant no kill hits.
    EXPECT_LE(
        std::ranges::count_if(ListDirectory(dir_.path()),
                              [](const std::string& n) { return n.starts_with(".out.smp."); }),
        1);
}

INSTANTIATE_TEST_SUITE_P(Roads, KillDuringReplace, ::testing::Values(false, true),
                         [](const auto& road) { return road.param ? "InPlace" : "Rename"; });

}  // namespace
}  // namespace quorrel::test
