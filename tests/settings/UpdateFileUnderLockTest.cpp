#include "UpdateFileUnderLock.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <csignal>
#include <filesystem>
#include <optional>
#include <string>

#include "FileSystemName.h"
#include "TempDir.h"

namespace quorrel {
namespace {

using test::FileExists;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

TEST(UpdateFileUnderLock, EditSeesTheCurrentBytesAndOnlyAChangeLeavesAFile) {
    const struct {
        const char* name;
        std::optional<std::string> before;
        std::optional<std::string> edited;
    } cases[] = {
        {"Replaced", std::string("a\0b", 3), "new"},
        {"Created", std::nullopt, "x"},
        {"UnchangedExisting", "old", std::nullopt},
        {"NothingToCreate", std::nullopt, std::nullopt},
        {"NothingToCreateEither", std::nullopt, ""},
    };
    for (const auto& c : cases) {
        TempDir dir;
        if (c.before) {
            WriteFile(dir.File("f"), *c.before);
        }
        std::optional<std::string> seen;
        EXPECT_TRUE(UpdateFileUnderLock(dir.File("f"), [&](std::string_view current) {
            seen = current;
            return c.edited;
        })) << c.name;
        EXPECT_EQ(seen, c.before.value_or("")) << c.name;
        const std::optional<std::string> kept =
            c.edited && !c.edited->empty() ? c.edited : c.before;
        EXPECT_EQ(FileExists(dir.File("f")), kept.has_value()) << c.name;
        if (kept) {
            EXPECT_EQ(ReadFile(dir.File("f")), *kept) << c.name;
        }
    }
    EXPECT_FALSE(UpdateFileUnderLock("", [](std::string_view) { return "x"; }));
}

#ifndef _WIN32

TEST(UpdateFileUnderLock, CreatedFileGetsTheUmaskMode) {
    TempDir dir;
    const mode_t mask = ::umask(022);
    EXPECT_TRUE(UpdateFileUnderLock(dir.File("f"), [](std::string_view) { return "x"; }));
    ::umask(mask);
    struct stat st {};
    ASSERT_EQ(::stat(dir.File("f").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
}

// A file size limit fails the write part-way: the old file stays whole, put back in place where
// it has a second name, and a new one goes again.
TEST(UpdateFileUnderLock, FailedWriteIsReportedAndChangesNothing) {
    for (const std::string before : {"; longer than the limit\n", "; linked\n", ""}) {
        TempDir dir;
        if (!before.empty()) {
            WriteFile(dir.File("f"), before);
        }
        if (before == "; linked\n") {
            ASSERT_EQ(::link(dir.File("f").c_str(), dir.File("g").c_str()), 0);
        }
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::alarm(30);
            std::signal(SIGXFSZ, SIG_IGN);
            const struct rlimit rl = {16, 16};
            ::setrlimit(RLIMIT_FSIZE, &rl);
            const bool done = UpdateFileUnderLock(dir.File("f"), [](std::string_view current) {
                return "far too long for the limit" + std::string(current);
            });
            ::_exit(done ? 1 : 0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_EQ(status, 0) << "the failed write was reported as done, before: " << before;
        EXPECT_EQ(FileExists(dir.File("f")) ? ReadFile(dir.File("f")) : "", before);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}),
                  before.empty()           ? 0
                  : before == "; linked\n" ? 2
                                           : 1);
    }
}

// A file that opens but cannot be read (here this process's own memory, whose first page is
// never mapped) fails the update at once instead of being tried again for ever.
TEST(UpdateFileUnderLock, UnreadableFileFailsTheUpdate) {
    bool edited = false;
    EXPECT_FALSE(UpdateFileUnderLock("/proc/self/mem", [&](std::string_view) {
        edited = true;
        return std::string("x");
    }));
    EXPECT_FALSE(edited);
}

#endif

}  // namespace
}  // namespace quorrel
