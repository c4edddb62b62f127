#include <gtest/gtest.h>

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

std::wstring Writer() {
    return test::ProgramDirectory() + L"SettingsWriter.exe";
}

TEST(SettingsFileWindows, NamesOutsideTheCodePageAreKept) {
    TempDir dir;
    // "Настройки" and U+6F22.
    const std::string folder =
        "\xD0\x9D\xD0\xB0\xD1\x81\xD1\x82\xD1\x80\xD0\xBE\xD0\xB9\xD0\xBA"
        "\xD0\xB8 \xE6\xBC\xA2";
    ASSERT_TRUE(::CreateDirectoryW(WidePath(dir, folder).c_str(), nullptr));
    const SettingsFile settings(dir.File(folder + "/Quorrel.ini"));
    const AuthorSettings loaded = settings.LoadAuthorSettings();
    EXPECT_EQ(loaded.author.nickname, kDefaultNickName);
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
    EXPECT_EQ(test::ListDirectory(test::WideRoot(dir)), std::vector<std::wstring>{L"Quorrel.ini"});
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
        const std::wstring path = WidePath(dir, "Quorrel.ini");
        std::vector<FileHandle> writers;
        for (int w = 0; w < 3; ++w) {
            writers.push_back(test::StartProcess(Writer(), {L"defaults", path}));
        }
        for (const FileHandle& writer : writers) {
            EXPECT_EQ(test::WaitForExit(writer), 0u) << "round " << round;
        }
        ASSERT_EQ(test::ReadWide(path), kFirstStartFile) << "round " << round;
        ASSERT_EQ(test::ListDirectory(test::WideRoot(dir)),
                  std::vector<std::wstring>{L"Quorrel.ini"})
            << "round " << round;
    }
}

// Without the lock, concurrent read-modify-write cycles lose each other's lines.
TEST(UpdateFileUnderLockWindows, WritersInSeveralProcessesLoseNothing) {
    constexpr int kWriters = 3;
    constexpr int kLines = 25;
    TempDir dir;
    const std::wstring path = WidePath(dir, "f");
    std::vector<FileHandle> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.push_back(test::StartProcess(
            Writer(), {L"append", path, std::to_wstring(kLines), std::to_wstring(w) + L"\n"}));
    }
    for (const FileHandle& writer : writers) {
        EXPECT_EQ(test::WaitForExit(writer), 0u);
    }
    const std::string text = test::ReadWide(path);
    for (int w = 0; w < kWriters; ++w) {
        const std::string line = std::to_string(w) + "\n";
        std::size_t count = 0;
        for (auto pos = text.find(line); pos != std::string::npos; pos = text.find(line, pos + 1)) {
            ++count;
        }
        EXPECT_EQ(count, std::size_t{kLines}) << "writer " << w;
    }
    EXPECT_EQ(text.size(), std::size_t{2 * kWriters * kLines});
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

// Windows starts no program from a path past 260 characters, so this one stays below.
TEST(SettingsFilePathWindows, BesideTheExecutableInAFolderOutsideTheCodePage) {
    TempDir dir;
    std::wstring folder = test::WideRoot(dir);
    while (folder.size() < 200) {
        folder += L"\\\x041F\x0430\x043F\x043A\x0430 \x6F22";
        ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    }
    const std::wstring copy = folder + L"\\SettingsWriter.exe";
    ASSERT_TRUE(::CopyFileW(Writer().c_str(), copy.c_str(), TRUE));
    EXPECT_EQ(test::WaitForExit(test::StartProcess(copy, {L"beside"})), 0u);
    EXPECT_EQ(test::ReadWide(folder + L"\\Quorrel.ini"), kFirstStartFile);
}

}  // namespace
}  // namespace quorrel
