// A disk that fills while quorrel-cli writes the patch: the character device /dev/full, a file
// size limit (which binds root too) and a small tmpfs that really runs out, on both save roads.
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "CliFixture.h"
#include "FileErrorCause.h"
#include "FileSave.h"
#include "OpenDescriptors.h"

namespace quorrel::test {
namespace {

TEST_F(CliTest, DiskFullIsReportedAndTheOldPatchKept) {
    const std::string diff = Put("new.dif", LargeDiff(1 << 20, 3));  // a patch of about 2 MiB
    // As a shell's "ulimit -f" leaves it: SIGXFSZ at its default, which would kill the process.
    ProcessOptions limited;
    limited.fileSizeLimit = 256 * 1024;
    const auto expectDiskFull = [&](const std::string& out, const ProcessOptions& options) {
        const std::string old = out == "/dev/full" ? "" : ReadFile(out);
        const ProcessResult result = RunProcess(QUORREL_CLI_PATH, ConvertArgs(diff, out), options);
        EXPECT_EQ(result.signal, 0) << out << " killed by " << strsignal(result.signal);
        EXPECT_EQ(result.exitCode, 3) << out;
        EXPECT_EQ(result.err, "quorrel-cli: Диск переполнен в процессе обращения к " + out + ".\n");
        EXPECT_EQ(out == "/dev/full" || ReadFile(out) == old, true)
            << out << ": the old patch changed";
    };
    expectDiskFull("/dev/full", {});
    expectDiskFull(Put("out.smp", "<?xml old patch, kept?>"), limited);
    EXPECT_EQ(ListDirectory(dir_.path()),
              (std::vector<std::string>{"Quorrel.ini", "new.dif", "out.smp"}));

    // A private mount namespace keeps the small filesystem to this test and ends with it.
    const std::string small = Path("small");
    ASSERT_EQ(::mkdir(small.c_str(), 0755), 0);
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=512k") != 0) {
        GTEST_SKIP() << "cannot mount a small tmpfs here: " << std::strerror(errno);
    }
    const std::string out = small + "/out.smp";
    WriteFile(out, std::string(100 * 1024, 'o'));
    {
        // A failed commit lets go of its temporary at once, not when the save is destroyed.
        const std::size_t held = OpenDescriptors();
        FileSave save(out);
        save.Write(std::string(600 * 1024, 'n'));
        EXPECT_EQ(save.Commit().cause, kFileErrorDiskFull);
        EXPECT_EQ(OpenDescriptors(), held);
    }
    expectDiskFull(out, {});  // replaced through a temporary
    ASSERT_EQ(::link(out.c_str(), (small + "/second.smp").c_str()), 0);
    expectDiskFull(out, {});  // written in place over a copy of the old patch
    // The target a dangling link gave the save goes again.
    ASSERT_EQ(::symlink("made.smp", (small + "/dangling.smp").c_str()), 0);
    EXPECT_EQ(RunProcess(QUORREL_CLI_PATH, ConvertArgs(diff, small + "/dangling.smp")).exitCode, 3);
    ASSERT_EQ(::unlink((small + "/dangling.smp").c_str()), 0);
    // No room for that copy there nor in the temporary folder: nothing is written. With the
    // temporary folder elsewhere, the copy goes there and the patch fits.
    WriteFile(out, std::string(300 * 1024, 'o'));
    const char* temporary = std::getenv("TMPDIR");
    const std::string before = temporary != nullptr ? temporary : "";
    ::setenv("TMPDIR", small.c_str(), 1);
    EXPECT_EQ(SaveFile(out, "new").cause, kFileErrorDiskFull);
    EXPECT_EQ(ReadFile(out) == std::string(300 * 1024, 'o'), true);
    ::setenv("TMPDIR", dir_.path().c_str(), 1);
    const std::string fits = Convert(Put("fits.dif", GoodDiff()), out);
    temporary != nullptr ? ::setenv("TMPDIR", before.c_str(), 1) : ::unsetenv("TMPDIR");
    EXPECT_NE(fits, "");
    EXPECT_EQ(ReadFile(small + "/second.smp"), fits);
    // A mounted patch with room for its new contents beside it but not in place.
    const std::string real = small + "/real.smp", mounted = small + "/mounted.smp";
    WriteFile(real, "old");
    WriteFile(mounted, "");
    ASSERT_EQ(::mount(real.c_str(), mounted.c_str(), nullptr, MS_BIND, nullptr), 0);
    const std::string mid = Put("mid.dif", LargeDiff(150 * 1024, 5));
    EXPECT_EQ(RunProcess(QUORREL_CLI_PATH, ConvertArgs(mid, mounted)).exitCode, 3);
    EXPECT_EQ(ReadFile(real), "old");
    ::umount2(mounted.c_str(), MNT_DETACH);
    ASSERT_EQ(::unlink(mounted.c_str()), 0);
    EXPECT_EQ(ListDirectory(small),
              (std::vector<std::string>{"out.smp", "real.smp", "second.smp"}));
    ::umount2(small.c_str(), MNT_DETACH);
}

}  // namespace
}  // namespace quorrel::test
