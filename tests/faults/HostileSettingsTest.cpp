// A settings file that is not a plain readable file: a directory, a file that cannot be read
// (made so for root too, by dropping to an unprivileged user), a FIFO, symbolic links. The
// defaults are used, nothing hangs or crashes, and the user's file is never replaced.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include "FaultSupport.h"
#include "IniText.h"
#include "SettingsFile.h"
#include "TempDir.h"

namespace quorrel::test {
namespace {

constexpr uid_t kNobody = 65534;

bool AreDefaults(const AuthorSettings& s) {
    return s.formatVersion == kDefaultFormatVersion && s.author.nickname == kDefaultNickName &&
           s.author.fullname.empty() && s.author.email.empty() && s.author.www == kDefaultWww &&
           s.author.icq.empty();
}

// Loads the author settings in a child process, so that a hang is caught by a timeout and the
// child may drop its privileges. Returns "defaults", "other", "hung" or "crashed".
std::string LoadInChild(const std::string& path, bool asNobody = false) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (asNobody && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            ::_exit(3);
        }
        ::alarm(10);
        ::_exit(AreDefaults(SettingsFile(path).LoadAuthorSettings()) ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFSIGNALED(status)) {
        return WTERMSIG(status) == SIGALRM ? "hung" : "crashed";
    }
    switch (WEXITSTATUS(status)) {
        case 0:
            return "defaults";
        case 3:
            return "could not drop privileges";
        default:
            return "other";
    }
}

struct Snapshot {
    ino_t inode;
    mode_t mode;
    std::string bytes;
    bool operator==(const Snapshot&) const = default;
};

void PrintTo(const Snapshot& s, std::ostream* os) {
    *os << "inode " << s.inode << ", mode " << std::oct << s.mode << std::dec << ", "
        << s.bytes.size() << " bytes";
}

Snapshot Take(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return {0, 0, "(missing)"};
    }
    std::string bytes;
    if (S_ISREG(info.st_mode)) {
        bytes = ReadFile(path);
    }
    return {info.st_ino, info.st_mode, bytes};
}

std::string LinkTarget(const std::string& link) {
    char buffer[4096];
    const ssize_t n = ::readlink(link.c_str(), buffer, sizeof buffer);
    return n < 0 ? "(not a link)" : std::string(buffer, static_cast<std::size_t>(n));
}

const std::string kUserSettings =
    "; mine\r\n[Author Info]\r\nNickName=Me\r\nFullName=My Name\r\n[Group]\r\n0=Mine\r\n";

TEST(HostileSettings, DirectoryInItsPlace) {
    const TempDir dir;
    const std::string path = dir.File("Quorrel.ini");
    ASSERT_EQ(::mkdir(path.c_str(), 0755), 0);
    WriteFile(path + "/inside", "x");
    EXPECT_EQ(LoadInChild(path), "defaults");
    EXPECT_EQ(ListDirectory(dir.path()), std::vector<std::string>{"Quorrel.ini"});
    EXPECT_EQ(ListDirectory(path), std::vector<std::string>{"inside"});
}

TEST(HostileSettings, UnreadableFileIsLeftAsItIs) {
    const TempDir dir;
    const std::string path = dir.File("Quorrel.ini");
    WriteFile(path, kUserSettings);
    // Write permission alone, in a directory open to all: a rename could replace the file, a
    // read cannot see it. Root reads anything, so the reader runs as nobody.
    ASSERT_EQ(::chmod(path.c_str(), 0222), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
    }
    const Snapshot before = Take(path);
    const std::string outcome = LoadInChild(path, root);
    if (outcome == "could not drop privileges") {
        GTEST_SKIP() << "running as root without the right to become nobody";
    }
    EXPECT_EQ(outcome, "defaults");
    EXPECT_EQ(Take(path), before);
    EXPECT_EQ(ListDirectory(dir.path()), std::vector<std::string>{"Quorrel.ini"});
}

TEST(HostileSettings, FifoInItsPlaceDoesNotHang) {
    const TempDir dir;
    const std::string path = dir.File("Quorrel.ini");
    ASSERT_EQ(::mkfifo(path.c_str(), 0666), 0);
    EXPECT_EQ(LoadInChild(path), "defaults");
    struct stat info {};
    ASSERT_EQ(::lstat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode)) << "the FIFO was replaced";
}

TEST(HostileSettings, LinkToTheUsersFileIsWrittenThrough) {
    const TempDir dir;
    const std::string real = dir.File("real.ini");
    const std::string link = dir.File("Quorrel.ini");
    WriteFile(real, kUserSettings);
    ASSERT_EQ(::symlink("real.ini", link.c_str()), 0);

    const AuthorSettings loaded = SettingsFile(link).LoadAuthorSettings();
    EXPECT_EQ(loaded.author.nickname, "Me");
    EXPECT_EQ(loaded.author.fullname, "My Name");
    EXPECT_EQ(loaded.author.www, kDefaultWww);
    EXPECT_EQ(LinkTarget(link), "real.ini");
    const std::string after = ReadFile(real);
    // The user's lines stay, byte for byte, with the missing defaults added around them.
    const IniText ini(after);
    EXPECT_EQ(ini.Find("Group", "0"), std::optional<std::string>("Mine"));
    EXPECT_EQ(ini.Find("Author Info", "www"), std::optional<std::string>(kDefaultWww));
    EXPECT_EQ(ini.Find("Patch Version", "value"), std::optional<std::string>("0.3"));
    for (const char* line :
         {"; mine\r\n", "NickName=Me\r\n", "FullName=My Name\r\n", "0=Mine\r\n"}) {
        EXPECT_NE(after.find(line), std::string::npos) << "lost: " << line;
    }
}

TEST(HostileSettings, LinksThatLeadNowhereUseful) {
    const TempDir dir;
    const std::string folder = dir.File("folder");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    const std::string toFolder = dir.File("to-folder.ini");
    const std::string loopA = dir.File("loop-a.ini");
    const std::string loopB = dir.File("loop-b.ini");
    ASSERT_EQ(::symlink("folder", toFolder.c_str()), 0);
    ASSERT_EQ(::symlink("loop-b.ini", loopA.c_str()), 0);
    ASSERT_EQ(::symlink("loop-a.ini", loopB.c_str()), 0);
    const std::vector<std::string> names = ListDirectory(dir.path());

    EXPECT_EQ(LoadInChild(toFolder), "defaults");
    EXPECT_EQ(LoadInChild(loopA), "defaults");
    EXPECT_EQ(ListDirectory(dir.path()), names);
    EXPECT_EQ(ListDirectory(folder), std::vector<std::string>{});
    EXPECT_EQ(LinkTarget(toFolder), "folder");
    EXPECT_EQ(LinkTarget(loopA), "loop-b.ini");
}

TEST(HostileSettings, DanglingLinkGetsItsTargetCreated) {
    const TempDir dir;
    const std::string link = dir.File("Quorrel.ini");
    ASSERT_EQ(::symlink("elsewhere.ini", link.c_str()), 0);
    EXPECT_EQ(LoadInChild(link), "defaults");
    EXPECT_EQ(LinkTarget(link), "elsewhere.ini");
    ASSERT_TRUE(FileExists(dir.File("elsewhere.ini")));
    const IniText ini(ReadFile(dir.File("elsewhere.ini")));
    EXPECT_EQ(ini.Find("Author Info", "NickName"), std::optional<std::string>(kDefaultNickName));
}

}  // namespace
}  // namespace quorrel::test
