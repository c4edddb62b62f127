// Reading and saving files where only Windows differs: share modes, UTF-16 names of any
// length, devices and its own error codes.
#include <gtest/gtest.h>

#include <algorithm>

#include "DiffBuilder.h"
#include "FileErrorCauseWindows.h"
#include "FileErrorText.h"
#include "FileSave.h"
#include "ReadWholeFile.h"
#include "WindowsFiles.h"

namespace quorrel {
namespace {

using test::TempDir;
using test::WidePath;

// Wine's own ReplaceFileW leaves a temporary "rfXXXX.tmp" (one to four hex digits) behind when
// the replaced file is in use; that one is not ours to clean up.
bool IsWineReplaceLeftover(const std::string& name) {
    return name.size() >= 7 && name.size() <= 10 && name.starts_with("rf") &&
           name.ends_with(".tmp") &&
           name.find_first_not_of("0123456789abcdefABCDEF", 2) == name.size() - 4;
}

class FileSaveWindows : public ::testing::Test {
  protected:
    std::vector<std::string> Entries() const {
        std::vector<std::string> names = test::ListDirectory(dir_.path());
        std::erase_if(names, IsWineReplaceLeftover);
        return names;
    }

    test::TempDir dir_;
};

// Whatever the code page and however long the path: saved, replaced whole, read back.
TEST_F(FileSaveWindows, NamesOutsideTheCodePageAndPastTheOldLimit) {
    std::vector<std::string> names = {"patch.smp", "Патч.smp", "漢字.smp", "Ж漢 mixed"};
    std::vector<std::wstring> paths;
    for (const std::string& name : names) {
        paths.push_back(WidePath(dir_, name));
    }
    std::wstring deep = test::WideRoot(dir_);
    while (deep.size() < 300) {
        deep += L"\\\x6F22\x5B57\x0434\x0438\x0440\x0435\x043A\x0442";
        ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr));
    }
    paths.push_back(deep + L"\\long.smp");
    names.push_back("漢字директ");
    const std::string bytes = test::CountingBytes(70'000, 5);
    for (const std::wstring& path : paths) {
        for (const std::string_view contents : {std::string_view(bytes), std::string_view()}) {
            EXPECT_EQ(SaveFile(path, contents).outcome, SaveOutcome::Saved)
                << testing::PrintToString(path);
            EXPECT_EQ(test::ReadWide(L"\\\\?\\" + path), contents);
            const LoadedFile file = ReadWholeFile(path);
            EXPECT_FALSE(file.failed()) << testing::PrintToString(path);
            EXPECT_EQ(file.view(), contents) << testing::PrintToString(path);
        }
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(Entries(), names);
}

// A read-only or locked patch cannot be opened for writing: it stays whole, nothing is left.
// Once free, it is written in place, so a second name of it holds the new one too.
TEST_F(FileSaveWindows, ProtectedPatchesCannotBeOpenedAndLinkedOnesKeepBothNames) {
    const std::wstring path = WidePath(dir_, "kept.smp");
    const std::wstring link = WidePath(dir_, "link.smp");
    test::WriteWide(path, "the old patch");
    const bool linked = ::CreateHardLinkW(link.c_str(), path.c_str(), nullptr);
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    SaveResult result = SaveFile(path, "new text");
    EXPECT_EQ(result.outcome, SaveOutcome::CannotOpen);
    EXPECT_EQ(result.cause, 5);
    EXPECT_EQ(test::ReadWide(path), "the old patch");
    EXPECT_EQ(Entries().size(), linked ? 2u : 1u);
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL));
    {
        // Held by a program that lets others read it but not remove or change it.
        const FileHandle other = test::OpenElsewhere(path, GENERIC_READ, FILE_SHARE_READ);
        result = SaveFile(path, "new text");
        EXPECT_EQ(result.outcome, SaveOutcome::CannotOpen);
        EXPECT_EQ(result.cause, 11);
    }
    EXPECT_EQ(test::ReadWide(path), "the old patch");
    EXPECT_EQ(Entries().size(), linked ? 2u : 1u);
    EXPECT_EQ(SaveFile(path, "new text").outcome, SaveOutcome::Saved);
    EXPECT_EQ(test::ReadWide(path), "new text");
    EXPECT_EQ(Entries().size(), linked ? 2u : 1u);
    if (linked) {
        EXPECT_EQ(test::ReadWide(link), "new text");
    }
}

// Under wine the host's file system is drive Z:, and its full device fails every write.
TEST_F(FileSaveWindows, OutcomesByWhatThePathNames) {
    test::WriteWide(WidePath(dir_, "plain"), "keep");
    ASSERT_TRUE(::CreateDirectoryW(WidePath(dir_, "folder").c_str(), nullptr));
    const bool full = FileHandle(::CreateFileW(L"Z:\\dev\\full", GENERIC_WRITE, 0, nullptr,
                                               OPEN_EXISTING, 0, nullptr))
                          .valid();
    const struct {
        std::wstring path;
        SaveOutcome outcome;
        int cause;
    } cases[] = {
        {WidePath(dir_, "plain\\below.smp"), SaveOutcome::CannotOpen, 3},
        {WidePath(dir_, "missing\\x.smp"), SaveOutcome::CannotOpen, 3},
        {WidePath(dir_, "folder"), SaveOutcome::CannotOpen, 5},
        {std::wstring(), SaveOutcome::CannotOpen, 3},
        {L"NUL", SaveOutcome::Saved, 0},
        {L"\\\\.\\NUL", SaveOutcome::Saved, 0},
        {L"Z:\\dev\\full", SaveOutcome::WriteFailed, kFileErrorDiskFull},
    };
    for (const auto& c : cases) {
        if (c.outcome == SaveOutcome::WriteFailed && !full) {
            continue;  // no full device here
        }
        const SaveResult result = SaveFile(c.path, "text");
        EXPECT_EQ(result.outcome, c.outcome) << testing::PrintToString(c.path);
        EXPECT_EQ(result.cause, c.cause) << testing::PrintToString(c.path);
    }
    EXPECT_EQ(test::ReadWide(WidePath(dir_, "plain")), "keep");
    EXPECT_NE(::GetFileAttributesW(WidePath(dir_, "folder").c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              0u);
    EXPECT_EQ(Entries().size(), 2u);
}

TEST(FileErrorCauseWindows, CausesBySystemError) {
    const std::pair<DWORD, int> cases[] = {{ERROR_DISK_FULL, 13},
                                           {ERROR_HANDLE_DISK_FULL, 13},
                                           {0, 13},
                                           {ERROR_ACCESS_DENIED, 5},
                                           {ERROR_SHARING_VIOLATION, 11},
                                           {ERROR_LOCK_VIOLATION, 12},
                                           {ERROR_FILE_NOT_FOUND, 2},
                                           {ERROR_PATH_NOT_FOUND, 3},
                                           {ERROR_TOO_MANY_OPEN_FILES, 4},
                                           {ERROR_INVALID_HANDLE, 6},
                                           {ERROR_INVALID_PARAMETER, 1},
                                           {ERROR_NOT_READY, 1},
                                           {ERROR_UNABLE_TO_REMOVE_REPLACED, 1}};
    for (const auto& [error, cause] : cases) {
        EXPECT_EQ(FileErrorCauseFromWindowsError(error), cause) << "error " << error;
    }
}

TEST(ReadWholeFileWindows, OtherReadersShareWritersDoNot) {
    TempDir dir;
    const std::wstring path = WidePath(dir, "held.dif");
    test::WriteWide(path, "contents");
    constexpr DWORD kAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const struct {
        const char* what;
        DWORD access;
        DWORD share;
        bool readable;
    } cases[] = {
        {"reader sharing reads", GENERIC_READ, FILE_SHARE_READ, true},
        {"reader sharing everything", GENERIC_READ, kAll, true},
        {"reader sharing nothing", GENERIC_READ, 0, false},
        {"writer sharing reads", GENERIC_WRITE, FILE_SHARE_READ, false},
        {"writer sharing everything", GENERIC_WRITE, kAll, false},
        {"reader and writer sharing everything", GENERIC_READ | GENERIC_WRITE, kAll, false},
        {"attribute reader", FILE_READ_ATTRIBUTES, 0, true},
    };
    for (const auto& c : cases) {
        FileHandle other = test::OpenElsewhere(path, c.access, c.share);
        const LoadedFile file = ReadWholeFile(path);
        EXPECT_EQ(file.view(), c.readable ? "contents" : "") << c.what;
        EXPECT_EQ(file.failed(), !c.readable) << c.what;
        other.Close();
        EXPECT_EQ(ReadWholeFile(path).view(), "contents") << "after " << c.what;
    }
}

TEST(ReadWholeFileWindows, AnythingButADiskFileUnder4GiBFails) {
    TempDir dir;
    const std::wstring pipeName =
        L"\\\\.\\pipe\\quorrel-test-" + std::to_wstring(::GetCurrentProcessId());
    const FileHandle pipe(::CreateNamedPipeW(pipeName.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE,
                                             1, 4096, 4096, 0, nullptr));
    ASSERT_TRUE(pipe.valid());
    std::vector<std::wstring> failing = {pipeName,
                                         test::WideRoot(dir),
                                         WidePath(dir, "missing"),
                                         WidePath(dir, "missing\\below"),
                                         L"NUL",
                                         L"\\\\.\\NUL",
                                         L"C:\\",
                                         L"\\\\?\\C:\\",
                                         L""};
    for (const long long size : {0xFFFFFFFFLL, 0x100000000LL, 5LL << 30}) {
        failing.push_back(WidePath(dir, "big" + std::to_string(size)));
        test::MakeSparseFile(failing.back(), size);
    }
    for (const std::wstring& path : failing) {
        const LoadedFile file = ReadWholeFile(path);
        EXPECT_TRUE(file.failed()) << testing::PrintToString(path);
        EXPECT_EQ(file.data(), nullptr) << testing::PrintToString(path);
    }
}

}  // namespace
}  // namespace quorrel
