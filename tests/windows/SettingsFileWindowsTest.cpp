#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>

#include "FileSystemName.h"
#include "RunProcess.h"
#include "SettingsFile.h"
#include "TempDir.h"
#include "UpdateFileUnderLock.h"
#include "WindowsFiles.h"

namespace quorrel {
namespace {

// A folder outside the code page, and a file held open by a viewer that lets others write it.
// The file a first start writes is checked by the portable settings tests, which run here too.
TEST(SettingsFileWindows, NamesOutsideTheCodePageAndFilesOpenInAViewer) {
    test::TempDir dir;
    ASSERT_TRUE(std::filesystem::create_directory(PathFromName(dir.File("Настройки 漢"))));
    const std::string path = dir.File("Настройки 漢/Quorrel.ini");
    const SettingsFile settings(path);
    test::WriteFile(path, "[Author Info]\r\nNickName=Nick\r\n[Group]\r\n0=b\r\n1=a\r\n");
    {
        const FileHandle viewer = test::OpenElsewhere(
            path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
        EXPECT_EQ(settings.LoadAuthorSettings().author.nickname, "Nick");
    }
    EXPECT_EQ(
        test::ReadFile(path),
        "[Author Info]\r\nNickName=Nick\r\nFullName=\r\nEmail=\r\nwww=" + std::string(kDefaultWww) +
            "\r\nicq=\r\n[Group]\r\n0=b\r\n1=a\r\n[Patch Version]\r\nvalue=0.3\r\n");
    EXPECT_EQ(settings.ReadSettingList("Group"), (std::vector<std::string>{"b", "a"}));
}

constexpr std::string_view kWriter = "--write-under-lock";  // see main

// Without the lock, concurrent read-modify-write cycles lose each other's lines; the writers are
// this program again, as a second copy of Quorrel would be another process. A read-only settings
// file is refused by the save itself (tests/files/FilesTest.cpp).
TEST(UpdateFileUnderLockWindows, ConcurrentWritersLoseNothingAndLeaveNothing) {
    test::TempDir dir;
    const std::string path = dir.File("f");
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::deque<test::Process> writers;
    for (const char* line : {"0", "1", "2"}) {
        writers.emplace_back(NameFromPath(self),
                             std::vector<std::string>{std::string(kWriter), path, line});
    }
    for (test::Process& writer : writers) {
        writer.Wait();
    }
    std::string text = test::ReadFile(path);
    std::ranges::sort(text);
    EXPECT_EQ(text, std::string(75, '\n') + std::string(25, '0') + std::string(25, '1') +
                        std::string(25, '2'));
    EXPECT_EQ(test::ListDirectory(dir.path()), std::vector<std::string>{"f"});
}

TEST(UpdateFileUnderLockWindows, DirectoriesAndDevicesAreNotEdited) {
    test::TempDir dir;
    ASSERT_TRUE(std::filesystem::create_directory(PathFromName(dir.File("d"))));
    for (const std::string& path : {dir.File("d"), std::string("NUL")}) {
        bool called = false;
        EXPECT_FALSE(UpdateFileUnderLock(path, [&](std::string_view) {
            called = true;
            return std::string("x");
        })) << path;
        EXPECT_FALSE(called) << path;
    }
    EXPECT_TRUE(std::filesystem::is_directory(PathFromName(dir.File("d"))));
}

}  // namespace
}  // namespace quorrel

int main(int argc, char** argv) {
    // One writer: 25 lines, each in an update of its own; the test counts what arrived.
    if (argc == 4 && argv[1] == quorrel::kWriter) {
        for (int n = 0; n < 25; ++n) {
            quorrel::UpdateFileUnderLock(argv[2], [line = argv[3]](std::string_view current) {
                return std::string(current) + line + '\n';
            });
        }
        return 0;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
