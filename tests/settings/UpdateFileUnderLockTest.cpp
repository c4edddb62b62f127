#include "UpdateFileUnderLock.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <csignal>
#include <filesystem>
#include <string>

#include "TempDir.h"

namespace quorrel {
namespace {

using test::FileExists;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

FileEdit Append(std::string text) {
    return [text](std::string_view current) { return std::string(current) + text; };
}

TEST(UpdateFileUnderLock, EditSeesCurrentBytesAndItsResultIsStored) {
    TempDir dir;
    WriteFile(dir.File("f"), std::string("a\0b", 3));
    std::string seen;
    EXPECT_TRUE(UpdateFileUnderLock(dir.File("f"), [&](std::string_view current) {
        seen = current;
        return std::string("new");
    }));
    EXPECT_EQ(seen, std::string("a\0b", 3));
    EXPECT_EQ(ReadFile(dir.File("f")), "new");
}

TEST(UpdateFileUnderLock, MissingFileIsCreated) {
    TempDir dir;
    EXPECT_TRUE(UpdateFileUnderLock(dir.File("f"), Append("x")));
    EXPECT_EQ(ReadFile(dir.File("f")), "x");
}

TEST(UpdateFileUnderLock, NoChangeOnMissingFileLeavesNoFile) {
    TempDir dir;
    bool called = false;
    EXPECT_TRUE(UpdateFileUnderLock(dir.File("f"), [&](std::string_view current) {
        called = true;
        EXPECT_EQ(current, "");
        return std::optional<std::string>();
    }));
    EXPECT_TRUE(called);
    EXPECT_FALSE(FileExists(dir.File("f")));
}

// FIFOs, file size limits and forked writers: POSIX only; tests/windows has the Windows
// counterparts.
#ifndef _WIN32

TEST(UpdateFileUnderLock, NonRegularFilesAreNotEdited) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("d"));
    ASSERT_EQ(::mkfifo(dir.File("p").c_str(), 0600), 0);
    for (const char* name : {"d", "p"}) {
        bool called = false;
        EXPECT_FALSE(UpdateFileUnderLock(dir.File(name), [&](std::string_view) {
            called = true;
            return std::string("x");
        })) << name;
        EXPECT_FALSE(called) << name;
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("d")));
    EXPECT_TRUE(std::filesystem::is_fifo(dir.File("p")));
}

#endif

TEST(UpdateFileUnderLock, EmptyPathIsRefused) {
    EXPECT_FALSE(UpdateFileUnderLock("", Append("x")));
}

#ifndef _WIN32

TEST(UpdateFileUnderLock, FailedWriteOfNewFileRemovesIt) {
    TempDir dir;
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const struct rlimit rl = {4, 4};
        ::setrlimit(RLIMIT_FSIZE, &rl);
        ::_exit(UpdateFileUnderLock(dir.File("f"), Append("far too long")) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

// Without the lock, concurrent read-modify-write cycles lose each other's lines.
TEST(UpdateFileUnderLock, ConcurrentWritersLoseNothing) {
    constexpr int kWriters = 3;
    constexpr int kLines = 30;
    TempDir dir;
    const std::string path = dir.File("f");
    pid_t children[kWriters];
    for (int w = 0; w < kWriters; ++w) {
        children[w] = ::fork();
        ASSERT_GE(children[w], 0);
        if (children[w] == 0) {
            bool ok = true;
            for (int i = 0; i < kLines; ++i) {
                ok = UpdateFileUnderLock(path, Append(std::to_string(w) + "\n")) && ok;
            }
            ::_exit(ok ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const std::string text = ReadFile(path);
    for (int w = 0; w < kWriters; ++w) {
        const std::string line = std::to_string(w) + "\n";
        std::size_t count = 0;
        for (std::size_t pos = text.find(line); pos != std::string::npos;
             pos = text.find(line, pos + 1)) {
            ++count;
        }
        EXPECT_EQ(count, std::size_t{kLines}) << "writer " << w;
    }
    EXPECT_EQ(text.size(), std::size_t{2 * kWriters * kLines});
}

#endif

}  // namespace
}  // namespace quorrel
