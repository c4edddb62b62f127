// A file cut short by another process while it is being read. Inputs refused outright (other
// kinds of file, 4 GiB and more, counts claiming that) are in ReadWholeFileTest and
// CliRefusalTest.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "ReadWholeFile.h"
#include "TempDir.h"

namespace quorrel::test {
namespace {

// What was there is delivered: a size equal to the bytes delivered, and no failure.
TEST(ShrinkingFile, ReadDeliversWhatWasThere) {
    const TempDir dir;
    const std::string path = dir.File("shrinking.bin");
    constexpr off_t kFull = off_t{512} << 20;
    constexpr off_t kCut = 1 << 20;
    const std::string head(4096, 'h');
    bool shrankDuringRead = false;
    for (int attempt = 0; attempt < 8 && !shrankDuringRead; ++attempt) {
        WriteFile(path, head);
        ASSERT_EQ(::truncate(path.c_str(), kFull), 0);
        std::thread cutter([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(5 + 10 * attempt));
            ::truncate(path.c_str(), kCut);
        });
        const LoadedFile file = ReadWholeFile(path);
        cutter.join();
        ASSERT_FALSE(file.failed());
        ASSERT_GE(file.size(), head.size());
        EXPECT_EQ(file.view().substr(0, head.size()), head);
        // Past the head the file was a hole: zeros, however far the read got.
        EXPECT_EQ(file.view().find_first_not_of('\0', head.size()), std::string_view::npos);
        if (file.size() < kFull) {
            shrankDuringRead = true;
            EXPECT_GE(file.size(), kCut);
        }
    }
    if (!shrankDuringRead) {
        GTEST_SKIP() << "the file was never cut while it was being read on this machine";
    }
}

}  // namespace
}  // namespace quorrel::test
