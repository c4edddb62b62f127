#include <gtest/gtest.h>

#include "ReadWholeFile.h"
#include "WindowsFiles.h"

namespace quorrel {
namespace {

using test::TempDir;
using test::WidePath;

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
