// Saving as an ordinary user keeps what users set on their files: protections, other names,
// owners, and settings in a folder closed to new files. CI runs as root, which passes every
// permission check, so files are staged as root and quorrel-cli runs as nobody.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "Child.h"
#include "FaultSupport.h"
#include "Messages.h"
#include "TempDir.h"

namespace quorrel::test {
namespace {

constexpr uid_t kNobody = 65534;

struct stat StatOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info;
}

class UserFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        if (::geteuid() != 0) {
            GTEST_SKIP() << "staging files for another user takes root";
        }
        ASSERT_EQ(::chmod(dir_.path().c_str(), 0755), 0);
        WriteFile(diff_, LargeDiff(4096, 7));
        const std::string fresh = dir_.File("fresh.smp");
        ASSERT_EQ(RunChild(CliPath(), ConvertArgs(settings_, diff_, fresh)).exitCode, 0);
        patch_ = ReadFile(fresh);
        ::unlink(fresh.c_str());
    }

    // A folder for the case with the given mode and owner.
    std::string Folder(const std::string& name, mode_t mode, uid_t owner) {
        const std::string path = dir_.File(name);
        EXPECT_EQ(::mkdir(path.c_str(), 0700), 0);
        EXPECT_EQ(::chown(path.c_str(), owner, owner), 0);
        EXPECT_EQ(::chmod(path.c_str(), mode), 0);
        return path;
    }

    static void Stage(const std::string& path, const std::string& bytes, mode_t mode, uid_t owner) {
        WriteFile(path, bytes);
        EXPECT_EQ(::chown(path.c_str(), owner, owner), 0);
        EXPECT_EQ(::chmod(path.c_str(), mode), 0);
    }

    ChildResult SaveAsNobody(const std::string& out) const {
        ChildOptions nobody;
        nobody.user = kNobody;
        return RunChild(CliPath(), ConvertArgs(settings_, diff_, out), nobody);
    }

    TempDir dir_;
    const std::string settings_ = dir_.File("Quorrel.ini");
    const std::string diff_ = dir_.File("new.dif");
    std::string patch_;
};

TEST_F(UserFiles, ProtectedPatchesCannotBeOpenedAndStayAsTheyWere) {
    const std::string folder = Folder("open", 0777, 0);
    struct Case {
        const char* name;
        mode_t mode;
        uid_t owner;
    };
    for (const Case c : {Case{"read-only.smp", 0444, kNobody}, Case{"roots.smp", 0644, 0}}) {
        const std::string out = folder + "/" + c.name;
        Stage(out, "the protected patch", c.mode, c.owner);
        const ChildResult result = SaveAsNobody(out);
        EXPECT_EQ(result.exitCode, 3) << c.name;
        EXPECT_EQ(result.err, CliLine(out, msg::kCannotOpenOutput));
        EXPECT_EQ(ReadFile(out), "the protected patch") << c.name;
    }
    EXPECT_EQ(ListDirectory(folder), (std::vector<std::string>{"read-only.smp", "roots.smp"}));
}

TEST_F(UserFiles, WritableFilesKeepTheirOwnerAndOtherNames) {
    // Another user's writable patch in a sticky folder: a rename there is refused.
    const std::string sticky = Folder("sticky", 01777, 0);
    Stage(sticky + "/roots.smp", "old", 0666, 0);
    // Two names of one patch in the user's own folder.
    const std::string own = Folder("own", 0755, kNobody);
    Stage(own + "/a.smp", "old", 0644, kNobody);
    ASSERT_EQ(::link((own + "/a.smp").c_str(), (own + "/b.smp").c_str()), 0);

    for (const std::string& out : {sticky + "/roots.smp", own + "/a.smp"}) {
        const struct stat before = StatOf(out);
        const ChildResult result = SaveAsNobody(out);
        EXPECT_EQ(result.exitCode, 0) << out << ": " << result.err;
        EXPECT_EQ(ReadFile(out) == patch_, true) << out;
        const struct stat after = StatOf(out);
        EXPECT_EQ(after.st_ino, before.st_ino) << out;
        EXPECT_EQ(after.st_uid, before.st_uid) << out;
        EXPECT_EQ(after.st_mode, before.st_mode) << out;
    }
    EXPECT_EQ(ReadFile(own + "/b.smp") == patch_, true) << "the second name kept the old patch";
    EXPECT_EQ(ListDirectory(sticky), std::vector<std::string>{"roots.smp"});
    EXPECT_EQ(ListDirectory(own), (std::vector<std::string>{"a.smp", "b.smp"}));
}

TEST_F(UserFiles, SettingsInAClosedFolderGetTheirDefaults) {
    const std::string folder = Folder("closed", 0755, 0);
    const std::string ini = folder + "/Quorrel.ini";
    const std::string mine = "; mine\r\n[Group]\r\n0=Sound\r\n";
    Stage(ini, mine, 0666, 0);
    ChildOptions nobody;
    nobody.user = kNobody;
    const ChildResult result = RunChild(
        CliPath(), {"--settings", ini, "--id", "01020304", "-q", diff_, "-o", "-"}, nobody);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(ReadFile(ini),
              mine +
                  "[Patch Version]\r\nvalue=0.3\r\n[Author Info]\r\nNickName=Quorrel\r\n"
                  "FullName=\r\nEmail=\r\nwww=http://quorrel.example.org/\r\nicq=\r\n");
    EXPECT_EQ(StatOf(ini).st_uid, 0u);
    EXPECT_EQ(ListDirectory(folder), std::vector<std::string>{"Quorrel.ini"});
}

// FAT keeps no modes or owners: changing them is refused, which must not fail a save.
TEST_F(UserFiles, FatFileSystemsTakeSavesAndReplacements) {
    if (std::system("command -v mkfs.vfat >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "mkfs.vfat is not installed";
    }
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        GTEST_SKIP() << "no private mount namespace here: " << std::strerror(errno);
    }
    const std::string image = dir_.File("fat.img");
    const std::string mountPoint = Folder("fat", 0755, 0);
    const std::string make = "mkfs.vfat -C " + image + " 4096 >/dev/null";
    const std::string mount =
        "mount -o loop,uid=65534,gid=65534,umask=022 " + image + " " + mountPoint + " 2>/dev/null";
    ASSERT_EQ(std::system(make.c_str()), 0);
    if (std::system(mount.c_str()) != 0) {
        GTEST_SKIP() << "this kernel mounts no FAT image through a loop device";
    }
    const std::string out = mountPoint + "/patch.smp";
    for (int round = 0; round < 2; ++round) {
        const ChildResult result = SaveAsNobody(out);
        EXPECT_EQ(result.exitCode, 0) << "round " << round << ": " << result.err;
        EXPECT_EQ(ReadFile(out) == patch_, true) << "round " << round;
    }
    EXPECT_EQ(ListDirectory(mountPoint), std::vector<std::string>{"patch.smp"});
    ::umount2(mountPoint.c_str(), MNT_DETACH);
}

}  // namespace
}  // namespace quorrel::test
