// A disk that fills while quorrel-cli writes the patch: the character device /dev/full, a file
// size limit (RLIMIT_FSIZE, which binds root too) and a small tmpfs that really runs out.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "Child.h"
#include "FaultSupport.h"
#include "FileErrorText.h"
#include "TempDir.h"

namespace quorrel::test {
namespace {

class DiskFull : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteFile(diff_, LargeDiff(1 << 20, 3));  // a patch of about 2 MiB
    }

    std::string DiskFullLine(const std::string& path) const {
        return CliLine({}, FileErrorText(kFileErrorDiskFull, path));
    }

    TempDir dir_;
    const std::string settings_ = dir_.File("Quorrel.ini");
    const std::string diff_ = dir_.File("new.dif");
};

TEST_F(DiskFull, DevFullIsReportedAsDiskFull) {
    struct stat info {};
    if (::stat("/dev/full", &info) != 0 || !S_ISCHR(info.st_mode)) {
        GTEST_SKIP() << "this machine has no /dev/full";
    }
    const ChildResult result = RunChild(CliPath(), ConvertArgs(settings_, diff_, "/dev/full"));
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(result.err, DiskFullLine("/dev/full"));
}

TEST_F(DiskFull, FileSizeLimitLeavesTheExistingPatchIntact) {
    const std::string out = dir_.File("out.smp");
    const std::string oldPatch = "<?xml old patch, kept?>";
    WriteFile(out, oldPatch);

    // As a shell's "ulimit -f" leaves it: SIGXFSZ at its default, which would kill the process.
    ChildOptions limited;
    limited.fileSizeLimit = 256 * 1024;
    const ChildResult result = RunChild(CliPath(), ConvertArgs(settings_, diff_, out), limited);
    EXPECT_EQ(result.signal, 0) << "killed by signal " << strsignal(result.signal);
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(result.err, DiskFullLine(out));
    EXPECT_EQ(ReadFile(out), oldPatch);
    EXPECT_EQ(ListDirectory(dir_.path()),
              (std::vector<std::string>{"Quorrel.ini", "new.dif", "out.smp"}));
}

TEST_F(DiskFull, FullFilesystemLeavesTheExistingPatchIntact) {
    // A private mount namespace keeps the small filesystem to this test and ends with it.
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        GTEST_SKIP() << "cannot make a private mount namespace here: " << std::strerror(errno);
    }
    const std::string small = dir_.File("small");
    ASSERT_EQ(::mkdir(small.c_str(), 0755), 0);
    if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=512k") != 0) {
        GTEST_SKIP() << "cannot mount a small tmpfs here: " << std::strerror(errno);
    }
    const std::string out = small + "/out.smp";
    const std::string oldPatch(100 * 1024, 'o');
    WriteFile(out, oldPatch);
    // Replaced through a temporary, then (with a second name) written in place over its copy.
    for (const bool linked : {false, true}) {
        if (linked) {
            ASSERT_EQ(::link(out.c_str(), (small + "/second.smp").c_str()), 0);
        }
        const ChildResult result = RunChild(CliPath(), ConvertArgs(settings_, diff_, out));
        EXPECT_EQ(result.exitCode, 3);
        EXPECT_EQ(result.err, DiskFullLine(out));
        EXPECT_EQ(ReadFile(out) == oldPatch, true) << "the old patch changed, linked " << linked;
    }
    EXPECT_EQ(ListDirectory(small), (std::vector<std::string>{"out.smp", "second.smp"}));
    ::umount2(small.c_str(), MNT_DETACH);
}

}  // namespace
}  // namespace quorrel::test
