#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <iostream>
#include <string>
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

// The blocks themselves are held to the rule on any input, in pieces of any size, by
// fuzz/CompareFuzz.cpp, and through the program's own pieces by tests/cli/CliCompareTest.cpp.

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
