#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>
#include <tuple>

#include "Cp1251Literal.h"
#include "FileErrorText.h"
#include "FileSave.h"
#include "TempDir.h"

namespace quorrel {
namespace {

using test::TempDir;

struct stat StatOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
    return info;
}

std::size_t EntriesIn(const std::string& directory) {
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(directory), {}));
}

class FileSaveTest : public ::testing::Test {
  protected:
    void SetUp() override { oldMask_ = umask(022); }
    void TearDown() override { umask(oldMask_); }

    TempDir dir_;
    mode_t oldMask_ = 0;
};

// A new file gets the umask's mode; replacing it, on both roads, keeps what a user sees of the
// file: its mode, owner, other names and attributes. Another owner's file is replaced in
// tests/faults/UserFilesTest.cpp.
TEST_F(FileSaveTest, NewFilesGetTheUmaskModeReplacedOnesKeepTheirs) {
    const std::string path = dir_.File("patch.smp");
    const std::string other = dir_.File("other.smp");
    const std::string old = std::string(10000, 'o') + "\r\n";
    for (const bool linked : {false, true}) {
        ASSERT_EQ(SaveFile(path, old).outcome, SaveOutcome::Saved);
        EXPECT_EQ(test::ReadFile(path), old);
        EXPECT_EQ(StatOf(path).st_mode & 07777, 0644u);
        ASSERT_EQ(chmod(path.c_str(), 0640), 0);
        if (linked) {
            ASSERT_EQ(link(path.c_str(), other.c_str()), 0);
        }
        const bool tagged = setxattr(path.c_str(), "user.quorrel", "x", 1, 0) == 0;
        const struct stat before = StatOf(path);

        EXPECT_EQ(SaveFile(path, "short").outcome, SaveOutcome::Saved) << linked;
        EXPECT_EQ(test::ReadFile(path), "short") << linked;
        EXPECT_EQ(test::ReadFile(linked ? other : path), "short") << linked;
        const struct stat after = StatOf(path);
        EXPECT_EQ(after.st_mode & 07777, 0640u) << linked;
        EXPECT_EQ(std::tie(after.st_uid, after.st_gid, after.st_nlink),
                  std::tie(before.st_uid, before.st_gid, before.st_nlink))
            << linked;
        char value[4] = {};
        EXPECT_EQ(getxattr(path.c_str(), "user.quorrel", value, sizeof value), tagged ? 1 : -1)
            << linked;
        EXPECT_EQ(EntriesIn(dir_.path()), linked ? 2u : 1u) << linked << ": something left behind";
        std::filesystem::remove(path);
        std::filesystem::remove(other);
    }
}

// A link is followed, a dangling one creating its target; the link stays a link.
TEST_F(FileSaveTest, WritesThroughSymbolicLinks) {
    std::filesystem::create_directory(dir_.File("real"));
    test::WriteFile(dir_.File("real/patch.smp"), "old");
    std::filesystem::create_symlink("real/patch.smp", dir_.File("link.smp"));
    std::filesystem::create_symlink("real/made.smp", dir_.File("dangling.smp"));
    for (const char* name : {"link.smp", "dangling.smp"}) {
        EXPECT_EQ(SaveFile(dir_.File(name), name).outcome, SaveOutcome::Saved) << name;
        EXPECT_TRUE(std::filesystem::is_symlink(dir_.File(name))) << name;
    }
    EXPECT_EQ(test::ReadFile(dir_.File("real/patch.smp")), "link.smp");
    EXPECT_EQ(test::ReadFile(dir_.File("real/made.smp")), "dangling.smp");
    EXPECT_EQ(EntriesIn(dir_.File("real")), 2u);
}

// Nothing is created or touched where a file cannot be. Full disks and file-size limits, on both
// roads, are in tests/faults/DiskFullTest.cpp.
TEST_F(FileSaveTest, FailuresLeaveEverythingAsItWas) {
    test::WriteFile(dir_.File("plain"), "keep");
    std::filesystem::create_directory(dir_.File("folder"));
    for (const std::string& path :
         {dir_.File("plain/below.smp"), dir_.File("missing/x.smp"), dir_.File("folder")}) {
        EXPECT_EQ(SaveFile(path, "text").outcome, SaveOutcome::CannotOpen) << path;
    }
    EXPECT_EQ(test::ReadFile(dir_.File("plain")), "keep");
    EXPECT_TRUE(std::filesystem::is_directory(dir_.File("folder")));
    EXPECT_EQ(EntriesIn(dir_.path()), 2u);
}

TEST(FileErrorText, CausesByErrno) {
    struct Case {
        int error;
        int cause;
    };
    for (const Case c :
         {Case{ENOSPC, 13}, Case{EDQUOT, 13}, Case{EFBIG, 13}, Case{0, 13}, Case{EACCES, 5},
          Case{EPERM, 5}, Case{EROFS, 5}, Case{EIO, 10}, Case{ENOENT, 2}, Case{ENOTDIR, 3},
          Case{ENAMETOOLONG, 3}, Case{ELOOP, 3}, Case{EMFILE, 4}, Case{ENFILE, 4}, Case{EBADF, 6},
          Case{EINVAL, 1}, Case{EXDEV, 1}}) {
        EXPECT_EQ(FileErrorCauseFromErrno(c.error), c.cause) << "errno " << c.error;
    }
}

TEST(FileErrorText, FillsInThePath) {
    constexpr Cp1251Literal full = "Диск переполнен в процессе обращения к /a/b.smp.";
    constexpr Cp1251Literal none = "Нет ошибки.";
    constexpr Cp1251Literal seek = "Неудача при позиционировании на x";
    constexpr Cp1251Literal past = "Попытка доступа к информации, находящейся за концом файла x.";
    constexpr Cp1251Literal unknown = "Неизвестная ошибка при доступе к x.";
    const std::pair<int, std::string_view> cases[] = {{0, none},     {9, seek},     {14, past},
                                                      {15, unknown}, {99, unknown}, {-1, unknown}};
    for (const auto& [cause, text] : cases) {
        EXPECT_EQ(FileErrorText(cause, "x"), text) << cause;
    }
    EXPECT_EQ(FileErrorText(13, "/a/b.smp"), full.view());
    // A path holding %1 itself is inserted once, not expanded again.
    EXPECT_EQ(FileErrorText(2, "%1"), "%1" + std::string(FileErrorText(2, "")));
}

}  // namespace
}  // namespace quorrel
