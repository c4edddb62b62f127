#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "ComposeSmpPatch.h"
#include "DiffBuilder.h"
#include "PatchFit.h"
#include "ReadSmpPatch.h"

namespace quorrel {
namespace {

using enum PatchDirection;
using enum FitVerdict;

// Random DIFFs over random images, some blocks reaching past the image or overlapping: the
// composed patch reads back as its blocks, applies to the image with every block's new bytes
// written in order, and reverts to the image wherever the composition could record old bytes.
TEST(PatchFitTest, ComposedPatchesReadBackApplyAndRevert) {
    std::mt19937 random(12);
    const auto bytes = [&random](std::size_t n) {
        std::string out(n, '\0');
        std::generate(out.begin(), out.end(), [&] { return static_cast<char>(random() & 0xFFu); });
        return out;
    };
    PatchInfo info;
    info.title = "<changes><nord offset=\"0x0\" to=\"00\"/>";
    for (int round = 0; round < 300; ++round) {
        const std::string image = bytes(random() % 120);
        test::DiffBuilder diff;
        std::string expected = image;
        bool everyFrom = true;
        std::size_t outside = 0;
        const std::size_t blocks = random() % 5;
        for (std::size_t i = 0; i < blocks; ++i) {
            const auto offset = static_cast<std::uint32_t>(random() % 130);
            std::string to = bytes(random() % 12);
            for (std::size_t j = 0; j < to.size() && offset + j < image.size(); ++j) {
                const auto old = static_cast<unsigned char>(image[offset + j]);
                to[j] = static_cast<char>(old ^ (j % 255u + 1u));  // never the old byte
            }
            diff.Nord(offset, to);
            if (offset + to.size() <= image.size()) {
                expected.replace(offset, to.size(), to);
            } else {
                ++outside;
            }
            everyFrom = everyFrom && offset + to.size() + 4 < image.size();
        }
        const LoadedFile imageFile = LoadedFile::FromBytes(image);
        const ComposedPatch patch = ComposeSmpPatchWithId(
            info, "01020304", LoadedFile::FromBytes(diff.bytes()), &imageFile);
        const SmpReadResult read = ReadSmpPatch(patch.text);
        ASSERT_EQ("", read.error) << patch.text;
        ASSERT_EQ(blocks, read.changes.size()) << patch.text;
        for (std::size_t i = 0; i < blocks; ++i) {
            EXPECT_EQ(9 + i, read.changes[i].line);
        }

        const PatchFit applied = FitPatch(read.changes, image, Apply);
        EXPECT_EQ(outside == 0 ? Fits : DoesNotFit, applied.verdict) << round;
        EXPECT_EQ(outside, applied.misfitCount) << round;
        if (outside != 0) {
            continue;
        }
        EXPECT_EQ(expected, applied.image) << round;
        const PatchFit reverted = FitPatch(read.changes, applied.image, Revert);
        EXPECT_EQ(everyFrom ? Fits : DoesNotFit, reverted.verdict);
        EXPECT_EQ(everyFrom ? image : "", reverted.image) << round;
        const FitVerdict again = expected != image ? AlreadyDone : Fits;
        EXPECT_EQ(again, FitPatch(read.changes, applied.image, Apply).verdict);
        if (everyFrom) {
            EXPECT_EQ(again, FitPatch(read.changes, image, Revert).verdict);
        }
    }
}

TEST(PatchFitTest, VerdictsAndTheFirstMisfits) {
    using R = Misfit::Reason;
    const SmpChange ab{2, "cd", "AB", 7};
    const SmpChange abNoFrom{2, std::nullopt, "AB", 7};
    const SmpChange wrongFrom{2, "xx", "AB", 7};
    const SmpChange outside{7, "h", "HI", 8};
    const SmpChange overlapping{3, "de", "DE", 9};
    using enum Misfit::Reason;
    const struct {
        bool overlaps;
        SmpChanges changes;
        std::string image;
        PatchDirection direction;
        FitVerdict verdict;
        std::string result;
        std::vector<R> reasons;
    } cases[] = {
        {false, {ab}, "abcdefgh", Apply, Fits, "abABefgh", {}},
        {false, {ab}, "abABefgh", Apply, AlreadyDone, "", {Differs}},
        {false, {abNoFrom}, "abABefgh", Apply, AlreadyDone, "", {}},
        {false, {abNoFrom}, "abcdefgh", Apply, Fits, "abABefgh", {}},
        {false, {wrongFrom, outside}, "abcdefgh", Apply, DoesNotFit, "", {Differs, Outside}},
        {true, {ab, overlapping}, "abcdefgh", Apply, Fits, "abADEfgh", {}},
        {true, {ab, overlapping}, "abADEfgh", Revert, Fits, "abcdefgh", {}},
        {false, {ab}, "abcdefgh", Revert, AlreadyDone, "", {Differs}},
        {true, {abNoFrom, ab}, "abABefgh", Revert, DoesNotFit, "", {NoFrom}},
        {true, SmpChanges(7, ab), "abxyefgh", Apply, DoesNotFit, "", std::vector<R>(5, Differs)},
    };
    for (const auto& c : cases) {
        const PatchFit fit = FitPatch(c.changes, c.image, c.direction);
        EXPECT_EQ(c.verdict, fit.verdict) << c.image;
        EXPECT_EQ(c.result, fit.image) << c.image;
        EXPECT_EQ(c.overlaps, fit.overlaps) << c.image;
        std::vector<R> reasons;
        for (const Misfit& misfit : fit.misfits) {
            reasons.push_back(misfit.reason);
        }
        EXPECT_EQ(c.reasons, reasons) << c.image;
        EXPECT_EQ(c.changes.size() == 7 ? 7u : c.reasons.size(), fit.misfitCount) << c.image;
    }
    const PatchFit wrong = FitPatch({wrongFrom}, "abcdefgh", Apply);
    ASSERT_EQ(1u, wrong.misfits.size());
    EXPECT_EQ("xx", wrong.misfits[0].expected);
    EXPECT_EQ("cd", wrong.misfits[0].found);
    EXPECT_EQ(7u, wrong.misfits[0].line);
    // An image that does not fit is not held on to.
    EXPECT_LT(FitPatch({wrongFrom}, std::string(1000, 'a'), Apply).image.capacity(), 1000u);
}

}  // namespace
}  // namespace quorrel
