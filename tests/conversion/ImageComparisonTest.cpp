#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "ChangeMask.h"
#include "DiffBuilder.h"
#include "ImageComparison.h"
#include "Messages.h"
#include "TempDir.h"

namespace quorrel {
namespace {

// Every length across the vector widths and their tails, from every alignment, with differences
// in every lane.
TEST(ChangeMaskTest, EveryMaskerMatchesTheBytes) {
    const std::string a = test::CountingBytes(400, 3);
    std::string b = a;
    for (std::size_t i = 0; i < b.size(); i += 1 + i % 7) {
        b[i] = static_cast<char>(b[i] ^ (1 << (i % 8)));
    }
    const auto* x = reinterpret_cast<const std::uint8_t*>(a.data());
    const auto* y = reinterpret_cast<const std::uint8_t*>(b.data());
    std::vector<ChangeMasker> maskers(ChangeMaskers().begin(), ChangeMaskers().end());
    maskers.push_back({"dispatch", ChangeMasks, [] { return true; }});
    for (const ChangeMasker& m : maskers) {
        if (!m.supported()) {
            std::cout << m.name << " is not supported here, not tested\n";
            continue;
        }
        for (std::size_t start = 0; start < 40; ++start) {
            for (std::size_t n = 0; n + start <= a.size(); n += 1 + n / 16) {
                // One word more than needed, which must stay as it was.
                std::vector<std::uint64_t> masks((n + 63) / 64 + 1, 0x5A5A);
                m.masks(x + start, y + start, n, masks.data());
                for (std::size_t i = 0; i < 64 * (masks.size() - 1); ++i) {
                    const bool changed = i < n && a[start + i] != b[start + i];
                    ASSERT_EQ(changed, (masks[i / 64] >> (i % 64) & 1) != 0)
                        << m.name << " from " << start << ", " << n << " bytes, bit " << i;
                }
                ASSERT_EQ(masks.back(), 0x5A5Au) << m.name;
            }
        }
    }
}

using Blocks = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

// The blocks and their bytes, read from files and from memory in pieces of several sizes; the
// rule itself is held against any input by fuzz/CompareFuzz.cpp.
TEST(ImageComparisonTest, BlocksAndTheirBytesAcrossPieces) {
    constexpr std::uint32_t kSize = 600'000;
    const struct {
        std::vector<std::pair<std::uint32_t, std::uint32_t>> runs;  // changed: offset, length
        Blocks blocks;
    } cases[] = {
        {{}, {}},
        {{{0, 1}, {kSize - 1, 1}}, {{0, 1}, {kSize - 1, 1}}},
        {{{100, 1}, {116, 2}}, {{100, 18}}},              // 15 unchanged between: one block
        {{{100, 1}, {117, 2}}, {{100, 1}, {117, 2}}},     // 16: two
        {{{262'140, 8}, {262'150, 1}}, {{262'140, 11}}},  // across the first piece's end
        {{{1000, 300'000}, {kSize - 20, 5}},
         {{1000, 300'000}, {kSize - 20, 5}}},  // longer than a piece
        {{{262'143, 1}, {262'159, 1}, {524'287, 2}}, {{262'143, 17}, {524'287, 2}}},
    };
    const test::TempDir dir;
    const std::string a = test::CountingBytes(kSize, 1);
    test::WriteFile(dir.File("old"), a);
    const LoadedFile oldWhole = LoadedFile::FromBytes(a);
    const InputFile oldFile(dir.File("old"));
    for (const auto& c : cases) {
        std::string b = a;
        for (const auto& [offset, length] : c.runs) {
            for (std::uint32_t i = offset; i < offset + length; ++i) {
                b[i] = static_cast<char>(~b[i]);
            }
        }
        test::WriteFile(dir.File("new"), b);
        const LoadedFile newWhole = LoadedFile::FromBytes(b);
        const InputFile newFile(dir.File("new"));
        for (const bool files : {false, true}) {
            for (const std::size_t piece : {std::size_t{4096}, ImageComparison::kDefaultPiece}) {
                const auto image = [&](const InputFile& file, const LoadedFile& whole) {
                    return files ? ImageComparison::Image{&file, nullptr}
                                 : ImageComparison::Image{nullptr, &whole};
                };
                ImageComparison comparison(image(oldFile, oldWhole), image(newFile, newWhole),
                                           piece);
                EXPECT_EQ(comparison.AnyChange(), !c.blocks.empty());
                Blocks found;
                for (BlockStart block; comparison.Next(block);) {
                    found.emplace_back(block.offset, block.count);
                    const std::uint8_t* old = comparison.oldImage().Read(block.offset, block.count);
                    ASSERT_NE(old, nullptr);
                    EXPECT_EQ(std::string(reinterpret_cast<const char*>(old), block.count),
                              a.substr(block.offset, block.count));
                    std::string to;
                    for (std::span<const std::uint8_t> got;
                         !(got = comparison.Take(70'000)).empty();) {
                        to.append(reinterpret_cast<const char*>(got.data()), got.size());
                    }
                    EXPECT_EQ(to == b.substr(block.offset, block.count), true) << block.offset;
                }
                EXPECT_EQ(comparison.error(), "");
                EXPECT_EQ(found, c.blocks) << "pieces of " << piece << (files ? " from files" : "");
            }
        }
    }
}

// An image cut after it was opened fails the comparison, naming the image, wherever the cut is.
TEST(ImageComparisonTest, ImageCutMeanwhileIsAReadError) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows lets nobody write a file open for reading here";
#endif
    const test::TempDir dir;
    const std::string a = test::CountingBytes(100'000);
    for (const bool cutOld : {false, true}) {
        for (const std::uint64_t cut : {0u, 50'000u, 99'999u}) {
            test::WriteFile(dir.File("old"), a);
            test::WriteFile(dir.File("new"), std::string(100'000, '\0'));
            const InputFile oldFile(dir.File("old"));
            const InputFile newFile(dir.File("new"));
            std::filesystem::resize_file(dir.File(cutOld ? "old" : "new"), cut);
            ImageComparison comparison({&oldFile, nullptr}, {&newFile, nullptr}, 4096);
            BlockStart block;
            while (comparison.Next(block)) {
            }
            EXPECT_EQ(comparison.error(), msg::kReadError.view()) << cut;
            EXPECT_EQ(comparison.oldImageFailed(), cutOld) << cut;
        }
    }
}

}  // namespace
}  // namespace quorrel
