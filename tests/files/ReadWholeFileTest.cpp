#include "ReadWholeFile.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include "WindowsFiles.h"
// After windows.h, which it needs.
#include <winioctl.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>

#include "DiffBuilder.h"
#include "FileSystemName.h"
#include "InputFile.h"
#include "TempDir.h"

namespace quorrel {
namespace {

using test::TempDir;

#ifdef _WIN32
// A file of `size` bytes that takes no disk space where the file system allows.
void MakeSparseFile(const std::string& name, long long size) {
    const FileHandle file(::CreateFileW(PathFromName(name).c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD ignored = 0;
    ::DeviceIoControl(file.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
    LARGE_INTEGER end{};
    end.QuadPart = size;
    if (!::SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) || !::SetEndOfFile(file.get())) {
        throw std::runtime_error("cannot make a sparse file");
    }
}
#endif

// Regular files of any size and name are read in FileSaveTest.cpp.
TEST(ReadWholeFile, AnythingButARegularFileUnder4GiBFails) {
    TempDir dir;
    std::vector<std::string> failing = {dir.path(), dir.File("missing"), dir.File("missing/below"),
                                        std::string()};
#ifdef _WIN32
    const std::string pipeName =
        "\\\\.\\pipe\\quorrel-test-" + std::to_string(::GetCurrentProcessId());
    const FileHandle pipe(::CreateNamedPipeW(PathFromName(pipeName).c_str(), PIPE_ACCESS_DUPLEX,
                                             PIPE_TYPE_BYTE, 1, 4096, 4096, 0, nullptr));
    ASSERT_TRUE(pipe.valid());
    failing.insert(failing.end(), {pipeName, "NUL", "\\\\.\\NUL", "C:\\", "\\\\?\\C:\\"});
    for (const long long size : {0xFFFFFFFFLL, 0x100000000LL, 5LL << 30}) {
        failing.push_back(dir.File("big" + std::to_string(size)));
        MakeSparseFile(failing.back(), size);
    }
#else
    ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
    failing.insert(failing.end(), {dir.File("fifo"), "/dev/null", "/dev/zero", "/"});
    // A FIFO with no writer would block a plain open for ever; alarm turns a hang into a failure.
    alarm(10);
#endif
    for (const std::string& path : failing) {
        const LoadedFile file = ReadWholeFile(PathFromName(path));
        EXPECT_TRUE(file.failed()) << path;
        EXPECT_EQ(file.data(), nullptr) << path;
    }
#ifndef _WIN32
    alarm(0);
#endif
}

TEST(LoadedFile, ReleaseLeavesAFailedRead) {
    LoadedFile file = LoadedFile::FromBytes("abc");
    EXPECT_EQ(file.size(), 3u);
    file.Release();
    EXPECT_TRUE(file.failed());
    EXPECT_EQ(file.view(), "");
}

#ifdef _WIN32

TEST(ReadWholeFileWindows, OtherReadersShareWritersDoNot) {
    TempDir dir;
    const std::string path = dir.File("held.dif");
    test::WriteFile(path, "contents");
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
        const LoadedFile file = ReadWholeFile(PathFromName(path));
        EXPECT_EQ(file.view(), c.readable ? "contents" : "") << c.what;
        EXPECT_EQ(file.failed(), !c.readable) << c.what;
        other.Close();
        EXPECT_EQ(ReadWholeFile(PathFromName(path)).view(), "contents") << "after " << c.what;
    }
}

#else

// A regular file behind a link. Parts are read where asked; a file cut after opening delivers
// only what is left.
TEST(ReadWholeFile, FollowsLinksAndInputFileReadsItsParts) {
    TempDir dir;
    const std::string bytes = test::CountingBytes(70'000, 3);
    test::WriteFile(dir.File("a.bin"), bytes);
    std::filesystem::create_symlink(dir.File("a.bin"), dir.File("link"));
    const LoadedFile linked = ReadWholeFile(dir.File("link"));
    EXPECT_FALSE(linked.failed());
    EXPECT_EQ(linked.view() == bytes, true);
    const InputFile file(dir.File("a.bin"));
    ASSERT_TRUE(file.open());
    EXPECT_EQ(file.size(), bytes.size());
    std::string part(100, '\0');
    EXPECT_EQ(file.ReadAt(69'950, part.data(), part.size()), 50);
    EXPECT_EQ(part.substr(0, 50), bytes.substr(69'950));
    ASSERT_EQ(truncate(dir.File("a.bin").c_str(), 1000), 0);
    EXPECT_EQ(file.ReadAt(900, part.data(), part.size()), 100);
    EXPECT_EQ(file.ReadAt(950, part.data(), part.size()), 50);
    EXPECT_EQ(file.size(), bytes.size());
}

#endif

}  // namespace
}  // namespace quorrel
