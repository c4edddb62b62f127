#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "DiffBuilder.h"
#include "InputFile.h"
#include "ReadWholeFile.h"
#include "TempDir.h"

namespace quorrel {
namespace {

using test::TempDir;

// Every byte, none of an empty file, and a regular file behind a link. Parts are read where
// asked; a file cut after opening delivers only what is left.
TEST(ReadWholeFile, DeliversEveryByteAndInputFileItsParts) {
    TempDir dir;
    const std::string bytes = test::CountingBytes(70'000, 3);
    test::WriteFile(dir.File("a.bin"), bytes);
    test::WriteFile(dir.File("empty"), "");
    std::filesystem::create_symlink(dir.File("a.bin"), dir.File("link"));
    for (const auto& [name, expected] :
         {std::pair{"a.bin", bytes}, {"empty", ""}, {"link", bytes}}) {
        const LoadedFile file = ReadWholeFile(dir.File(name));
        ASSERT_FALSE(file.failed()) << name;
        EXPECT_EQ(file.size(), expected.size()) << name;
        EXPECT_EQ(file.view() == expected, true) << name;
    }
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

TEST(ReadWholeFile, AnythingButARegularFileFails) {
    TempDir dir;
    ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
    const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = dir.File("sock");
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    // A FIFO with no writer would block a plain open for ever; alarm turns a hang into a failure.
    alarm(10);
    for (const std::string& path :
         {dir.File("fifo"), socketPath, std::string("/dev/null"), std::string("/dev/zero"),
          std::string("/"), dir.path(), dir.File("missing"), std::string(),
          dir.File("missing/below")}) {
        EXPECT_TRUE(ReadWholeFile(path).failed()) << path;
    }
    alarm(0);
    close(sock);
}

TEST(LoadedFile, ReleaseLeavesAFailedRead) {
    LoadedFile file = LoadedFile::FromBytes("abc");
    EXPECT_EQ(file.size(), 3u);
    file.Release();
    EXPECT_TRUE(file.failed());
    EXPECT_EQ(file.view(), "");
}

}  // namespace
}  // namespace quorrel
