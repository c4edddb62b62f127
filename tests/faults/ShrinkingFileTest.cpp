// A file cut short by another process while it is being read. Inputs refused outright (other
// kinds of file, 4 GiB and more, counts claiming that) are in ReadWholeFileTest and
// CliRefusalTest.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "ReadWholeFile.h"
#include "RunProcess.h"
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

// An image cut while two are compared: the run fails naming it, and writes nothing.
TEST(ShrinkingFile, ComparisonOfAnImageCutMeanwhileWritesNothing) {
    const TempDir dir;
    const std::string newPath = dir.File("new.bin"), oldPath = dir.File("old.bin");
    constexpr off_t kFull = off_t{256} << 20;
    bool cutDuringRun = false;
    for (int attempt = 0; attempt < 8 && !cutDuringRun; ++attempt) {
        // A change at the start, so the output is under way when the cut comes.
        WriteFile(newPath, "x");
        WriteFile(oldPath, "o");
        ASSERT_EQ(::truncate(newPath.c_str(), kFull), 0);
        ASSERT_EQ(::truncate(oldPath.c_str(), kFull), 0);
        Process run(QUORREL_CLI_PATH,
                    {"--make-diff", newPath, "-i", oldPath, "-f", "F", "-o", dir.File("a.dif")});
        std::this_thread::sleep_for(std::chrono::milliseconds(50 + 50 * attempt));
        ::truncate(oldPath.c_str(), 1 << 20);
        const ProcessResult r = run.Wait();
        EXPECT_FALSE(FileExists(dir.File("a.dif")) && r.exitCode != 0);
        // Cut before the sizes were taken, the images are refused as of different sizes.
        if (r.exitCode != 0 && r.err.find("Ошибка") != std::string::npos) {
            cutDuringRun = true;
            EXPECT_EQ(r.exitCode, 1);
            EXPECT_EQ(r.err, "quorrel-cli: " + oldPath + ": Ошибка считывания данных из файла!\n");
        }
        std::filesystem::remove(dir.File("a.dif"));
    }
    if (!cutDuringRun) {
        GTEST_SKIP() << "the image was never cut during a run on this machine";
    }
}

}  // namespace
}  // namespace quorrel::test
