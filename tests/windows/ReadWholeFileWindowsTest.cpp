#include <gtest/gtest.h>

#include "DiffBuilder.h"
#include "ReadWholeFile.h"
#include "WindowsFiles.h"

namespace quorrel {
namespace {

using test::TempDir;
using test::WidePath;

TEST(ReadWholeFileWindows, NamesOutsideTheCodePageAreRead) {
    TempDir dir;
    const std::string bytes = test::CountingBytes(70'000, 5);
    // Cyrillic, a character no Windows-1251 holds, and both mixed into a directory.
    for (const char* name : {"\xD0\x9F\xD1\x80\xD0\xBE\xD1\x88\xD0\xB8\xD0\xB2\xD0\xBA\xD0\xB0.dif",
                             "\xE6\xBC\xA2.bin", "\xE6\xBC\xA2\xD0\x96"}) {
        const std::wstring path = WidePath(dir, name);
        test::WriteWide(path, bytes);
        const LoadedFile file = ReadWholeFile(path);
        ASSERT_FALSE(file.failed()) << name;
        EXPECT_EQ(file.size(), bytes.size()) << name;
        EXPECT_EQ(file.view(), bytes) << name;
    }
}

TEST(ReadWholeFileWindows, PathsPastTheOldLimitAreRead) {
    TempDir dir;
    std::wstring path = test::WideRoot(dir);
    while (path.size() < 300) {
        path += L"\\\x0434\x0438\x0440\x0435\x043A\x0442\x043E\x0440\x0438\x044F";
        ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + path).c_str(), nullptr));
    }
    path += L"\\long.dif";
    test::WriteWide(L"\\\\?\\" + path, "SPFD");
    EXPECT_EQ(ReadWholeFile(path).view(), "SPFD");
}

TEST(ReadWholeFileWindows, EmptyFileIsReadNotFailed) {
    TempDir dir;
    const std::wstring path = WidePath(dir, "empty");
    test::WriteWide(path, "");
    const LoadedFile file = ReadWholeFile(path);
    EXPECT_FALSE(file.failed());
    EXPECT_EQ(file.size(), 0u);
}

TEST(ReadWholeFileWindows, OtherReadersShareWritersDoNot) {
    TempDir dir;
    const std::wstring path = WidePath(dir, "held.dif");
    test::WriteWide(path, "contents");
    struct Case {
        const char* what;
        DWORD access;
        DWORD share;
        bool readable;
    };
    constexpr DWORD kAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const Case cases[] = {
        {"reader sharing reads", GENERIC_READ, FILE_SHARE_READ, true},
        {"reader sharing everything", GENERIC_READ, kAll, true},
        {"reader sharing nothing", GENERIC_READ, 0, false},
        {"writer sharing reads", GENERIC_WRITE, FILE_SHARE_READ, false},
        {"writer sharing everything", GENERIC_WRITE, kAll, false},
        {"reader and writer sharing everything", GENERIC_READ | GENERIC_WRITE, kAll, false},
        {"attribute reader", FILE_READ_ATTRIBUTES, 0, true},
    };
    for (const Case& c : cases) {
        FileHandle other = test::OpenElsewhere(path, c.access, c.share);
        const LoadedFile file = ReadWholeFile(path);
        EXPECT_EQ(!file.failed(), c.readable) << c.what;
        if (c.readable) {
            EXPECT_EQ(file.view(), "contents") << c.what;
        }
        other.Close();
        EXPECT_EQ(ReadWholeFile(path).view(), "contents") << "after " << c.what;
    }
}

TEST(ReadWholeFileWindows, AnythingButADiskFileFails) {
    TempDir dir;
    const std::wstring pipeName =
        L"\\\\.\\pipe\\quorrel-test-" + std::to_wstring(::GetCurrentProcessId());
    const FileHandle pipe(::CreateNamedPipeW(pipeName.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE,
                                             1, 4096, 4096, 0, nullptr));
    ASSERT_TRUE(pipe.valid());
    EXPECT_TRUE(ReadWholeFile(pipeName).failed());

    const std::wstring failing[] = {
        test::WideRoot(dir),
        WidePath(dir, "missing"),
        WidePath(dir, "missing\\below"),
        L"NUL",
        L"\\\\.\\NUL",
        L"C:\\",
        L"\\\\?\\C:\\",
    };
    for (const std::wstring& path : failing) {
        EXPECT_TRUE(ReadWholeFile(path).failed()) << testing::PrintToString(path);
    }
    EXPECT_TRUE(ReadWholeFile(std::filesystem::path()).failed());
}

TEST(ReadWholeFileWindows, FilesOf4GiBOrMoreFail) {
    TempDir dir;
    const std::wstring path = WidePath(dir, "big");
    for (const long long size : {0xFFFFFFFFLL, 0x100000000LL, 5LL << 30}) {
        test::MakeSparseFile(path, size);
        const LoadedFile file = ReadWholeFile(path);
        EXPECT_TRUE(file.failed()) << "size " << size;
        EXPECT_EQ(file.data(), nullptr);
    }
    ::DeleteFileW(path.c_str());
}

}  // namespace
}  // namespace quorrel
