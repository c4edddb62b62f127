// Two processes writing the defaults into the same missing settings file at the same moment.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "FaultSupport.h"
#include "SettingsFile.h"
#include "TempDir.h"

namespace quorrel::test {
namespace {

bool AreDefaults(const AuthorSettings& s) {
    return s.formatVersion == kDefaultFormatVersion && s.author.nickname == kDefaultNickName &&
           s.author.fullname.empty() && s.author.email.empty() && s.author.www == kDefaultWww &&
           s.author.icq.empty();
}

// Starts `count` processes that wait on one pipe, so that they start writing together.
std::vector<pid_t> StartWriters(const std::string& path, int count, int& release) {
    int fds[2];
    if (::pipe(fds) != 0) {
        return {};
    }
    std::vector<pid_t> writers;
    for (int i = 0; i < count; ++i) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(fds[1]);
            char go = 0;
            const bool released = ::read(fds[0], &go, 1) == 1;
            const bool ok = released && AreDefaults(SettingsFile(path).LoadAuthorSettings());
            ::_exit(ok ? 0 : 1);
        }
        writers.push_back(pid);
    }
    ::close(fds[0]);
    release = fds[1];
    return writers;
}

TEST(ConcurrentDefaults, AlwaysOneWholeFileWithEveryDefault) {
    const TempDir dir;
    // What one process alone writes is what any number racing must leave.
    const std::string alone = dir.File("alone.ini");
    ASSERT_TRUE(AreDefaults(SettingsFile(alone).LoadAuthorSettings()));
    const std::string expected = ReadFile(alone);

    constexpr int kRounds = 300;
    for (int round = 0; round < kRounds; ++round) {
        const std::string sub = dir.File("r" + std::to_string(round));
        ASSERT_EQ(::mkdir(sub.c_str(), 0755), 0);
        const std::string path = sub + "/Quorrel.ini";
        int release = -1;
        const std::vector<pid_t> writers = StartWriters(path, 2, release);
        ASSERT_EQ(writers.size(), 2u);
        ASSERT_EQ(::write(release, "gg", 2), 2);
        ::close(release);
        for (const pid_t pid : writers) {
            int status = 0;
            ASSERT_EQ(::waitpid(pid, &status, 0), pid);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
                << "round " << round << ": a writer did not read back every default";
        }
        ASSERT_EQ(ReadFile(path), expected) << "round " << round;
        ASSERT_EQ(ListDirectory(sub), std::vector<std::string>{"Quorrel.ini"})
            << "round " << round << ": something besides the settings file was left";
    }
}

}  // namespace
}  // namespace quorrel::test
