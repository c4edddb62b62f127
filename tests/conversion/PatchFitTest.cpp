#include <gtest/gtest.h>

#include "PatchFit.h"

namespace quorrel {
namespace {

using enum PatchDirection;
using enum FitVerdict;

TEST(PatchFitTest, VerdictsAndTheFirstMisfits) {
    using R = Misfit::Reason;
    const SmpChange ab{2, "cd", "AB", 7};
    const SmpChange abNoFrom{2, std::nullopt, "AB", 7};
    const SmpChange wrongFrom{2, "xx", "AB", 7};
    const SmpChange outside{9, "h", "H", 8};
    // Side by side in any order, so none overlaps.
    const SmpChanges sideBySide = {{6, "gh", "GH", 9}, ab, {4, "ef", "EF", 8}};
    const SmpChange overlapping{3, "de", "DE", 9};
    // Nothing the image could show as done.
    const SmpChanges sameBytes = {{2, "cd", "cd", 7}, {5, std::nullopt, "", 8}};
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
        {false, sideBySide, "abcdefgh", Apply, Fits, "abABEFGH", {}},
        {false, {ab, outside}, "abABefgh", Apply, DoesNotFit, "", {Differs, Outside}},
        {false, {outside}, "abcdefgh", Revert, DoesNotFit, "", {Outside}},
        {false, sameBytes, "abcdefgh", Apply, Fits, "abcdefgh", {}},
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
