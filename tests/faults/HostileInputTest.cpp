// Inputs that are not what a DIFF file or image should be: a directory, a FIFO nobody writes,
// files of 4 GiB and more (sparse, so they cost no disk), a DIFF whose counts claim 4 GiB, and a
// file that shrinks while it is read. Each gives a clear error, quickly and in bounded memory.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "DiffBuilder.h"
#include "FaultSupport.h"
#include "Messages.h"
#include "ReadWholeFile.h"
#include "TempDir.h"

namespace quorrel::test {
namespace {

using namespace std::chrono_literals;

// Far below any input these cases name: what a process that never holds their contents needs.
constexpr long kBoundedKib = 128 * 1024;

class HostileInput : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteFile(diff_, DiffBuilder().Nord(0x10, "\x01\x02").bytes());
        WriteFile(image_, std::string(64, 'i'));
    }

    // The refusal every case here must end in: exit 1, one clear message, no patch, no hang.
    void ExpectRefused(const std::string& diff, const std::string& image,
                       const std::string& expectedErr) const {
        std::vector<std::string> args = ConvertArgs(dir_.File("Quorrel.ini"), diff, out_);
        if (!image.empty()) {
            args.insert(args.begin(), {"-i", image});
        }
        const ProcessResult result = RunProcess(CliPath(), args, {}, 20s);
        EXPECT_FALSE(result.timedOut) << "quorrel-cli did not finish";
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.err, expectedErr);
        EXPECT_LT(result.maxRssKib, kBoundedKib);
        EXPECT_FALSE(FileExists(out_));
    }

    TempDir dir_;
    const std::string diff_ = dir_.File("ok.dif");
    const std::string image_ = dir_.File("ok.bin");
    const std::string out_ = dir_.File("out.smp");
};

// A directory, a FIFO nobody writes and files of 4 GiB and more, as the DIFF or the image.
TEST_F(HostileInput, UnreadableKindsAreReadErrors) {
    const std::string folder = dir_.File("folder"), fifo = dir_.File("fifo");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    std::vector<std::string> inputs = {folder, fifo};
    for (const off_t size : {off_t{0xFFFFFFFF}, off_t{0x100000000} + 4096}) {
        const std::string big = dir_.File("big-" + std::to_string(size));
        WriteFile(big, "");
        if (::truncate(big.c_str(), size) != 0) {
            std::printf("no sparse file of %lld bytes here: %s\n", static_cast<long long>(size),
                        std::strerror(errno));
            continue;
        }
        const auto start = std::chrono::steady_clock::now();
        const LoadedFile file = ReadWholeFile(big);
        EXPECT_TRUE(file.failed()) << size << ": read " << file.size() << " bytes";
        EXPECT_LT(std::chrono::steady_clock::now() - start, 1s) << size << ": contents were read";
        inputs.push_back(big);
    }
    for (const std::string& input : inputs) {
        SCOPED_TRACE(input);
        ExpectRefused(input, {}, CliLine(input, msg::kReadError));
        ExpectRefused(diff_, input, CliLine(input, msg::kReadError));
    }
}

TEST_F(HostileInput, DiffCountClaiming4GiB) {
    const std::string claims = dir_.File("claims.dif");
    // A NORD block claiming 4 GiB of new bytes in a file of a few dozen.
    WriteFile(claims,
              DiffBuilder().Nord(0, "ab").Block("FBLK", "NORD", 0xFFFFFFFF).Le32(0).bytes());
    ExpectRefused(claims, image_, CliLine(claims, msg::kBadDiffBlocks));
}

// A file cut short by another process while it is being read delivers what was there: a size
// equal to the bytes delivered, and no failure.
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
