// Processes writing the same settings file at the same moment.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>

#include "SettingsFile.h"
#include "TempDir.h"
#include "UpdateFileUnderLock.h"

namespace quorrel::test {
namespace {

// Runs `body(i)` in `count` processes released together; true when every one returned true.
bool RunTogether(int count, const std::function<bool(int)>& body) {
    int gate[2];
    if (::pipe(gate) != 0) {
        return false;
    }
    std::vector<pid_t> children;
    for (int i = 0; i < count; ++i) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::alarm(120);  // a writer that hangs must not outlive the test
            ::close(gate[1]);
            char go = 0;
            ::_exit(::read(gate[0], &go, 1) == 0 && body(i) ? 0 : 1);
        }
        children.push_back(pid);
    }
    ::close(gate[0]);
    ::close(gate[1]);  // end of file wakes them all at once
    bool ok = true;
    for (const pid_t pid : children) {
        int status = 0;
        ok = ::waitpid(pid, &status, 0) == pid && status == 0 && ok;
    }
    return ok;
}

TEST(RacingWriters, DefaultsWrittenAtOnceLeaveOneWholeFile) {
    const TempDir dir;
    // What one process alone writes is what any number racing must leave.
    const std::string alone = dir.File("alone.ini");
    SettingsFile(alone).LoadAuthorSettings();
    const std::string expected = ReadFile(alone);
    for (int round = 0; round < 300; ++round) {
        const std::string sub = dir.File("r" + std::to_string(round));
        ASSERT_EQ(::mkdir(sub.c_str(), 0755), 0);
        const std::string path = sub + "/Quorrel.ini";
        EXPECT_TRUE(RunTogether(
            2,
            [&](int) { return SettingsFile(path).LoadAuthorSettings().author.www == kDefaultWww; }))
            << "round " << round << ": a writer did not read back every default";
        ASSERT_EQ(ReadFile(path), expected) << "round " << round;
        ASSERT_EQ(ListDirectory(sub), std::vector<std::string>{"Quorrel.ini"}) << "round " << round;
    }
}

// Without the lock, concurrent read-modify-write cycles lose each other's lines.
TEST(RacingWriters, EditsUnderTheLockLoseNothing) {
    constexpr int kWriters = 3;
    constexpr int kLines = 30;
    const TempDir dir;
    const std::string path = dir.File("f");
    EXPECT_TRUE(RunTogether(kWriters, [&](int w) {
        bool ok = true;
        for (int i = 0; i < kLines; ++i) {
            ok = UpdateFileUnderLock(path,
                                     [&](std::string_view current) {
                                         return std::string(current) + std::to_string(w) + "\n";
                                     }) &&
                 ok;
        }
        return ok;
    }));
    const std::string text = ReadFile(path);
    for (char w = '0'; w < '0' + kWriters; ++w) {
        EXPECT_EQ(std::count(text.begin(), text.end(), w), kLines) << "writer " << w;
    }
    EXPECT_EQ(text.size(), std::size_t{2 * kWriters * kLines});
}

}  // namespace
}  // namespace quorrel::test
