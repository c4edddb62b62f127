#include <gtest/gtest.h>

#include <memory>

#include "RunProcess.h"
#include "SettingsFile.h"
#include "UpdateFileUnderLock.h"
#include "WindowsFiles.h"

namespace quorrel {
namespace {

using test::TempDir;
using test::WidePath;

const std::string kFirstStartFile =
    "[Patch Version]\r\nvalue=0.3\r\n[Author Info]\r\n"
    "NickName=Quorrel\r\nFullName=\r\nEmail=\r\nwww=" +
    std::string(kDefaultWww) + "\r\nicq=\r\n";

// Starts SettingsWriter once for each of `runs`, all at once, and expects each to succeed.
void RunWriters(const std::vector<std::vector<std::string>>& runs) {
    std::vector<std::unique_ptr<test::Process>> writers;
    for (const auto& args : runs) {
        writers.push_back(std::make_unique<test::Process>(QUORREL_SETTINGS_WRITER, args));
    }
    for (const auto& writer : writers) {
        EXPECT_EQ(writer->Wait().exitCode, 0);
    }
}

TEST(SettingsFileWindows, NamesOutsideTheCodePageAreKept) {
    TempDir dir;
    const std::string folder = "Настройки 漢";
    ASSERT_TRUE(::CreateDirectoryW(WidePath(dir, folder).c_str(), nullptr));
    const SettingsFile settings(dir.File(folder + "/Quorrel.ini"));
    EXPECT_EQ(settings.LoadAuthorSettings().author.nickname, kDefaultNickName);
    const std::wstring file = WidePath(dir, folder) + L"\\Quorrel.ini";
    EXPECT_EQ(test::ReadWide(file), kFirstStartFile);
    test::WriteWide(file, "[Group]\r\n0=b\r\n1=a\r\n");
    EXPECT_EQ(settings.ReadSettingList("Group"), (std::vector<std::string>{"b", "a"}));
}

TEST(SettingsFileWindows, ReadOnlyFileIsLeftAlone) {
    TempDir dir;
    const std::wstring path = WidePath(dir, "Quorrel.ini");
    const std::string original = "[Patch Version]\nvalue=1.0\n";
    test::WriteWide(path, original);
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    const AuthorSettings loaded = SettingsFile(dir.File("Quorrel.ini")).LoadAuthorSettings();
    EXPECT_EQ(loaded.formatVersion, "1.0");
    EXPECT_EQ(loaded.author.nickname, kDefaultNickName);
    EXPECT_EQ(test::ReadWide(path), original);
    EXPECT_EQ(::GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY,
              static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(test::ListDirectory(dir.path()), std::vector<std::string>{"Quorrel.ini"});
}

TEST(SettingsFileWindows, AFileOpenInAViewerIsStillUpdated) {
    TempDir dir;
    const std::wstring path = WidePath(dir, "Quorrel.ini");
    test::WriteWide(path, "[Author Info]\r\nNickName=Nick\r\n");
    {
        const FileHandle viewer = test::OpenElsewhere(
            path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
        EXPECT_EQ(SettingsFile(dir.File("Quorrel.ini")).LoadAuthorSettings().author.nickname,
                  "Nick");
    }
    EXPECT_EQ(test::ReadWide(path),
              "[Author Info]\r\nNickName=Nick\r\nFullName=\r\nEmail=\r\nwww=" +
                  std::string(kDefaultWww) + "\r\nicq=\r\n[Patch Version]\r\nvalue=0.3\r\n");
}

TEST(SettingsFileWindows, ProcessesWritingDefaultsAtOnceLeaveOneWholeFile) {
    for (int round = 0; round < 8; ++round) {
        TempDir dir;
        const std::string path = dir.File("Quorrel.ini");
        RunWriters({{"defaults", path}, {"defaults", path}, {"defaults", path}});
        ASSERT_EQ(test::ReadFile(path), kFirstStartFile) << "round " << round;
        ASSERT_EQ(test::ListDirectory(dir.path()), std::vector<std::string>{"Quorrel.ini"})
            << "round " << round;
    }
}

// Without the lock, concurrent read-modify-write cycles lose each other's lines.
TEST(UpdateFileUnderLockWindows, WritersInSeveralProcessesLoseNothing) {
    TempDir dir;
    const std::string path = dir.File("f");
    RunWriters({{"append", path, "25", "0\n"},
                {"append", path, "25", "1\n"},
                {"append", path, "25", "2\n"}});
    const std::string text = test::ReadFile(path);
    for (const char line : {'0', '1', '2'}) {
        EXPECT_EQ(std::count(text.begin(), text.end(), line), 25) << "writer " << line;
    }
    EXPECT_EQ(text.size(), 150u);
}

TEST(UpdateFileUnderLockWindows, DirectoriesAndDevicesAreNotEdited) {
    TempDir dir;
    ASSERT_TRUE(::CreateDirectoryW(WidePath(dir, "d").c_str(), nullptr));
    for (const std::string& path : {dir.File("d"), std::string("NUL")}) {
        bool called = false;
        EXPECT_FALSE(UpdateFileUnderLock(path, [&](std::string_view) {
            called = true;
            return std::string("x");
        })) << path;
        EXPECT_FALSE(called) << path;
    }
    EXPECT_NE(::GetFileAttributesW(WidePath(dir, "d").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

}  // namespace
}  // namespace quorrel
