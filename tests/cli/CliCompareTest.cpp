// --make-diff and --compare end to end: the blocks they find, and that what they write turns one
// image into the other, through conversion, --apply and --revert, also as two patches in a row.
#include <random>
#include <regex>

#include "BlockRule.h"
#include "ByteSource.h"
#include "CliFixture.h"
#include "DiffBlockSource.h"

namespace quorrel::test {
namespace {

BlockList DiffBlocks(const std::string& diff) {
    MemoryBytes bytes(diff);
    DiffBlockSource walk(bytes);
    BlockList blocks;
    for (BlockStart block; walk.Next(block);) {
        blocks.emplace_back(block.offset, block.count);
    }
    EXPECT_EQ(walk.error(), "");
    return blocks;
}

// More than two of the pieces the images are read in. Standard input stands for either image in
// some cases, and takes the output to standard output when it is the new one.
TEST_F(CliTest, ComparedImagesRoundTrip) {
    constexpr std::uint32_t kSize = 700'000;
    std::mt19937 random(2026);
    std::string old(kSize, '\0');
    for (char& c : old) {
        c = static_cast<char>(random());
    }
    Put("old.bin", old);
    BlockList scattered;
    for (std::uint32_t at = 7; at < kSize; at += 1 + static_cast<std::uint32_t>(random() % 4000)) {
        scattered.emplace_back(at, 1 + static_cast<std::uint32_t>(random() % 20));
    }
    const struct {
        BlockList runs;               // changed: offset, count
        BlockList blocks = {};        // expected, when listed
        std::string stdinImage = {};  // "new" or "old"
    } cases[] = {
        {{{0, 1}, {kSize - 1, 1}}, {{0, 1}, {kSize - 1, 1}}},
        {{{10, 3}, {28, 1}, {100, 2}}, {{10, 19}, {100, 2}}, "old"},  // 15 between, then 71
        {{{10, 3}, {29, 1}}, {{10, 3}, {29, 1}}, "new"},              // 16 between
        {{{262'000, 300'000}, {kSize - 5, 1}}, {{262'000, 300'000}, {kSize - 5, 1}}},
        {scattered},
    };
    for (const auto& c : cases) {
        std::string changed = old;
        for (const auto& [offset, count] : c.runs) {
            for (std::uint32_t i = offset; i < offset + count && i < kSize; ++i) {
                changed[i] = static_cast<char>(~changed[i]);
            }
        }
        Put("new.bin", changed);
        const bool stdinNew = c.stdinImage == "new";
        const bool stdinOld = c.stdinImage == "old";
        const ProcessOptions options{stdinNew ? changed : stdinOld ? old : ""};
        const std::vector<std::string> images{stdinNew ? "-" : Path("new.bin"), "-i",
                                              stdinOld ? "-" : Path("old.bin"), "-f",
                                              "ПрошивкаДляТеста"};
        // Both images are below the size the conversion warns of.
        std::string warnings;
        for (const bool fromStdin : {stdinNew, stdinOld}) {
            warnings += "quorrel-cli: " +
                        (fromStdin ? "<stdin>" : Path(warnings.empty() ? "new.bin" : "old.bin")) +
                        ": Некорректный BIN-файл!\n";
        }
        const auto run = [&](std::string mode, const std::string& output) {
            std::vector<std::string> args{mode};
            args.insert(args.end(), images.begin(), images.end());
            if (mode == "--compare") {
                args.insert(args.end(), {"--id", "01020304", "-t", "Тема"});
            }
            const ProcessResult r = Run(args, options);
            EXPECT_EQ(r.exitCode, 0) << mode;
            EXPECT_EQ(r.err, warnings) << mode;
            return stdinNew ? r.out : ReadFile(Path(output));
        };
        const std::string diff = run("--make-diff", "new.dif");
        const std::string patch = run("--compare", "new.smp");
        Put("made.dif", diff);
        const BlockList blocks = DiffBlocks(diff);
        ASSERT_FALSE(blocks.empty());
        EXPECT_EQ(BlockRuleFault(blocks, old, changed), "");
        if (!c.blocks.empty()) {
            EXPECT_EQ(blocks, c.blocks);
        }

        // Conversion of the DIFF gives the same patch, but for the old bytes it leaves out of a
        // block ending in the image's last four bytes.
        ASSERT_EQ(Run({"--id", "01020304", "-t", "Тема", "-q", "-i", Path("old.bin"),
                       Path("made.dif"), "-o", Path("converted.smp")})
                      .exitCode,
                  0);
        std::string expected = ReadFile(Path("converted.smp"));
        if (blocks.back().first + blocks.back().second + 4 >= kSize) {
            const std::size_t line = expected.rfind("<nord ");
            expected.insert(
                expected.find(" to=", line),
                " from=\"" + Hex(old.substr(blocks.back().first, blocks.back().second)) + "\"");
        }
        EXPECT_EQ(patch == expected, true) << blocks.size() << " blocks";

        // A second patch on top of the first, changing the first byte of each run again.
        Put("made.smp", patch);
        std::string further = changed;
        for (const auto& [offset, count] : c.runs) {
            further[offset] = static_cast<char>(further[offset] ^ 0x55);
        }
        Put("further.bin", further);
        ASSERT_EQ(Run({"-q", "--compare", Path("further.bin"), "-i", Path("new.bin"), "-f", "F",
                       "-o", Path("second.smp")})
                      .exitCode,
                  0);
        for (const auto& [mode, image, result, second] :
             {std::tuple{"--apply", "old.bin", &changed, ""},
              {"--revert", "new.bin", &old, ""},
              {"--apply", "old.bin", &further, "second.smp"},
              {"--revert", "further.bin", &old, "second.smp"}}) {
            std::vector<std::string> args{"-q", mode, Path("made.smp")};
            if (*second != '\0') {
                args.push_back(Path(second));
            }
            args.insert(args.end(), {"-i", Path(image), "-o", "-"});
            const ProcessResult r = Run(args);
            EXPECT_EQ(r.exitCode, 0) << mode << second << ": " << r.err;
            EXPECT_EQ(r.out == *result, true) << mode << second;
        }
    }
}

#ifndef _WIN32
// A file that reads shorter than its size says (as every /sys attribute does) is unreadable, even
// when no change was found before its end.
TEST_F(CliTest, ComparedImagesThatReadShortAreRefused) {
    const std::string shorter = "/sys/devices/system/cpu/online";
    if (!FileExists(shorter)) {
        GTEST_SKIP() << "no " << shorter << " here";
    }
    const ProcessResult r = Run({"--compare", shorter, "-i", shorter, "-f", "F", "-o", "-"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(
        r.err.ends_with("quorrel-cli: " + shorter + ": Ошибка считывания данных из файла!\n"))
        << r.err;
}
#endif

}  // namespace
}  // namespace quorrel::test
