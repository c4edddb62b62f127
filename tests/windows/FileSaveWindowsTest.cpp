#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>

#include "FileErrorCauseWindows.h"
#include "FileErrorText.h"
#include "FileSave.h"
#include "ReadWholeFile.h"
#include "WindowsFiles.h"

namespace quorrel {
namespace {

using test::TempDir;
using test::WidePath;

// GetTempFileNameW's form: "rf", one to four hex digits without padding, ".tmp".
bool IsWineReplaceLeftover(const std::wstring& name) {
    if (name.size() < 7 || name.size() > 10 || name.rfind(L"rf", 0) != 0 ||
        !name.ends_with(L".tmp")) {
        return false;
    }
    return std::all_of(name.begin() + 2, name.end() - 4,
                       [](wchar_t c) { return std::iswxdigit(c); });
}

class FileSaveWindows : public ::testing::Test {
  protected:
    // Wine's own ReplaceFileW leaves a temporary "rfXXXX.tmp" behind when the replaced file is
    // in use; that one is not ours to clean up.
    std::vector<std::wstring> Entries() const {
        std::vector<std::wstring> names = test::ListDirectory(test::WideRoot(dir_));
        std::erase_if(names, IsWineReplaceLeftover);
        return names;
    }

    TempDir dir_;
};

TEST_F(FileSaveWindows, NewFilesKeepTheirNamesWhateverTheCodePage) {
    const std::wstring names[] = {L"patch.smp", L"\x041F\x0430\x0442\x0447.smp",
                                  L"\x6F22\x5B57.smp", L"\x0416\x6F22 mixed.smp"};
    for (const std::wstring& name : names) {
        const std::wstring path = test::WideRoot(dir_) + L"\\" + name;
        const SaveResult result = SaveFile(path, "patch\r\ntext");
        EXPECT_EQ(result.outcome, SaveOutcome::Saved) << testing::PrintToString(name);
        EXPECT_EQ(ReadWholeFile(path).view(), "patch\r\ntext") << testing::PrintToString(name);
    }
    std::vector<std::wstring> listed = Entries();
    std::vector<std::wstring> expected(std::begin(names), std::end(names));
    std::sort(listed.begin(), listed.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listed, expected);
}

TEST_F(FileSaveWindows, ReplacesAnExistingFileWhole) {
    const std::wstring path = WidePath(dir_, "old.smp");
    test::WriteWide(path, std::string(10000, 'o'));
    EXPECT_EQ(SaveFile(path, "short").outcome, SaveOutcome::Saved);
    EXPECT_EQ(test::ReadWide(path), "short");
    EXPECT_EQ(Entries().size(), 1u);
}

TEST_F(FileSaveWindows, PathsPastTheOldLimitAreSaved) {
    std::wstring path = test::WideRoot(dir_);
    while (path.size() < 300) {
        path += L"\\\x6F22\x5B57\x6F22\x5B57\x6F22\x5B57\x6F22\x5B57";
        ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + path).c_str(), nullptr));
    }
    path += L"\\long.smp";
    EXPECT_EQ(SaveFile(path, "new").outcome, SaveOutcome::Saved);
    EXPECT_EQ(SaveFile(path, "newer").outcome, SaveOutcome::Saved);
    EXPECT_EQ(test::ReadWide(L"\\\\?\\" + path), "newer");
}

// A read-only or locked patch cannot be opened for writing: it stays whole, nothing is left.
TEST_F(FileSaveWindows, ProtectedPatchesCannotBeOpened) {
    const std::wstring path = WidePath(dir_, "kept.smp");
    test::WriteWide(path, "the old patch");

    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    SaveResult result = SaveFile(path, "new text");
    EXPECT_EQ(result.outcome, SaveOutcome::CannotOpen);
    EXPECT_EQ(result.cause, 5);
    EXPECT_EQ(test::ReadWide(path), "the old patch");
    EXPECT_EQ(Entries().size(), 1u);
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL));

    {
        // Held by a program that lets others read it but not remove or change it.
        const FileHandle other = test::OpenElsewhere(path, GENERIC_READ, FILE_SHARE_READ);
        result = SaveFile(path, "new text");
        EXPECT_EQ(result.outcome, SaveOutcome::CannotOpen);
        EXPECT_EQ(result.cause, 11);
    }
    EXPECT_EQ(test::ReadWide(path), "the old patch");
    EXPECT_EQ(Entries().size(), 1u);

    EXPECT_EQ(SaveFile(path, "new text").outcome, SaveOutcome::Saved);
    EXPECT_EQ(test::ReadWide(path), "new text");
}

// A second name of the patch is written in place, so both names hold the new one.
TEST_F(FileSaveWindows, LinkedPatchesKeepBothNames) {
    const std::wstring path = WidePath(dir_, "a.smp");
    const std::wstring other = WidePath(dir_, "b.smp");
    test::WriteWide(path, "the old patch");
    if (!::CreateHardLinkW(other.c_str(), path.c_str(), nullptr)) {
        GTEST_SKIP() << "no hard links here";
    }
    EXPECT_EQ(SaveFile(path, "the new patch").outcome, SaveOutcome::Saved);
    EXPECT_EQ(test::ReadWide(path), "the new patch");
    EXPECT_EQ(test::ReadWide(other), "the new patch");
    EXPECT_EQ(Entries().size(), 2u);
}

TEST_F(FileSaveWindows, PathsThatCannotBeCreated) {
    test::WriteWide(WidePath(dir_, "plain"), "keep");
    ASSERT_TRUE(::CreateDirectoryW(WidePath(dir_, "folder").c_str(), nullptr));
    for (const std::wstring& path :
         {WidePath(dir_, "plain\\below.smp"), WidePath(dir_, "missing\\x.smp"),
          WidePath(dir_, "folder"), std::wstring()}) {
        EXPECT_EQ(SaveFile(path, "text").outcome, SaveOutcome::CannotOpen)
            << testing::PrintToString(path);
    }
    EXPECT_EQ(test::ReadWide(WidePath(dir_, "plain")), "keep");
    EXPECT_EQ(::GetFileAttributesW(WidePath(dir_, "folder").c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(Entries().size(), 2u);
}

TEST_F(FileSaveWindows, DevicesAreWrittenDirectly) {
    EXPECT_EQ(SaveFile(L"NUL", "text").outcome, SaveOutcome::Saved);
    EXPECT_EQ(SaveFile(L"\\\\.\\NUL", "text").outcome, SaveOutcome::Saved);
}

// Under wine the host's file system is drive Z:, and its full device fails every write.
TEST_F(FileSaveWindows, FullDeviceIsDiskFull) {
    const wchar_t* full = L"Z:\\dev\\full";
    if (!FileHandle(::CreateFileW(full, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr))
             .valid()) {
        GTEST_SKIP() << "no full device here";
    }
    const SaveResult result = SaveFile(full, "text");
    EXPECT_EQ(result.outcome, SaveOutcome::WriteFailed);
    EXPECT_EQ(result.cause, kFileErrorDiskFull);
}

TEST(FileErrorCauseWindows, CausesBySystemError) {
    struct Case {
        DWORD error;
        int cause;
    };
    for (const Case c : {Case{ERROR_DISK_FULL, 13}, Case{ERROR_HANDLE_DISK_FULL, 13}, Case{0, 13},
                         Case{ERROR_ACCESS_DENIED, 5}, Case{ERROR_SHARING_VIOLATION, 11},
                         Case{ERROR_LOCK_VIOLATION, 12}, Case{ERROR_FILE_NOT_FOUND, 2},
                         Case{ERROR_PATH_NOT_FOUND, 3}, Case{ERROR_TOO_MANY_OPEN_FILES, 4},
                         Case{ERROR_INVALID_HANDLE, 6}, Case{ERROR_INVALID_PARAMETER, 1},
                         Case{ERROR_NOT_READY, 1}, Case{ERROR_UNABLE_TO_REMOVE_REPLACED, 1}}) {
        EXPECT_EQ(FileErrorCauseFromWindowsError(c.error), c.cause) << "error " << c.error;
    }
}

}  // namespace
}  // namespace quorrel
