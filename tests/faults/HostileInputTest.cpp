// Inputs that are not what a DIFF file or image should be: files of 4 GiB and more (sparse, so
// they cost no disk) and a file that shrinks while it is read. Each gives a clear error, quickly
// and in bounded memory. Other kinds of file are refused by the read itself (ReadWholeFileTest),
// a DIFF whose counts claim 4 GiB in CliRefusalTest.
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "CliFixture.h"
#include "Messages.h"
#include "ReadWholeFile.h"

namespace quorrel::test {
namespace {

using namespace std::chrono_literals;

TEST_F(CliTest, HostileInputsAreRefusedQuicklyInBoundedMemory) {
    const std::string diff = Put("ok.dif", GoodDiff());
    const std::string image = Put("ok.bin", std::string(64, 'i'));
    std::vector<std::vector<std::string>> cases;  // DIFF, image, message
    std::vector<std::string> unreadable;
    for (const off_t size : {off_t{0xFFFFFFFF}, off_t{0x100000000} + 4096}) {
        const std::string big = Put("big-" + std::to_string(size), "");
        if (::truncate(big.c_str(), size) == 0) {
            unreadable.push_back(big);
        } else {
            std::printf("no sparse file of %lld bytes here: %s\n", static_cast<long long>(size),
                        std::strerror(errno));
        }
    }
    for (const std::string& input : unreadable) {
        cases.push_back({input, image, CliLine(input, msg::kReadError)});
        cases.push_back({diff, input, CliLine(input, msg::kReadError)});
    }
    const std::string out = Path("out.smp");
    for (const auto& c : cases) {
        std::vector<std::string> args = ConvertArgs(c[0], out);
        args.insert(args.begin(), {"-i", c[1]});
        const ProcessResult r = RunProcess(QUORREL_CLI_PATH, args, {}, 20s);
        EXPECT_FALSE(r.timedOut) << c[2];
        EXPECT_EQ(r.exitCode, 1) << c[2];
        EXPECT_EQ(r.err, c[2]);
        EXPECT_LT(r.maxRssKib, 128 * 1024) << c[2];  // far below any input named here
        EXPECT_FALSE(FileExists(out)) << c[2];
    }
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
