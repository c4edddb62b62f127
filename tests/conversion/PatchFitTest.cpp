#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "BufferedBytes.h"
#include "DiffBuilder.h"
#include "FirmwareBytes.h"
#include "PatchFit.h"
#include "PatchFitter.h"
#include "PatchSeries.h"
#include "SmpTextChanges.h"

namespace quorrel {
namespace {

// The changes as a patch text, each on a line of its own.
std::string Text(const SmpChanges& changes) {
    std::string text = "<patch><patchdata><changes>\n";
    for (const SmpChange& c : changes) {
        char offset[16];
        std::snprintf(offset, sizeof offset, "0x%x", static_cast<unsigned>(c.offset));
        text += std::string("<nord offset=\"") + offset + "\"" +
                (c.from ? " from=\"" + test::Hex(*c.from) + "\"" : "") + " to=\"" +
                test::Hex(c.to) + "\"/>\n";
    }
    return text + "</changes></patchdata></patch>";
}

class StringSink final : public ImageSink {
  public:
    explicit StringSink(std::string_view image) : image_(image) {}
    bool Copy(std::uint64_t offset, std::uint64_t n) override {
        out.append(image_.substr(offset, n));
        return true;
    }
    bool Write(std::span<const std::uint8_t> bytes) override {
        out.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return true;
    }
    bool CanOverwrite() const override { return overwrites; }
    bool Overwrite(std::uint64_t offset, std::span<const std::uint8_t> bytes) override {
        EXPECT_LE(offset + bytes.size(), out.size());
        out.replace(offset, bytes.size(), reinterpret_cast<const char*>(bytes.data()),
                    bytes.size());
        return true;
    }
    std::string out;
    bool overwrites = true;

  private:
    std::string_view image_;
};

// The same fit from the patch text read through a small buffer, as quorrel-cli reads a file, and
// written as into a file, the image copied whole and the changes laid over it.
PatchFit FitFromText(const SmpChanges& changes, std::string_view image, PatchDirection direction) {
    const std::string text = Text(changes);
    BufferedBytes bytes(
        text.size(),
        [&](std::uint64_t offset, std::uint8_t* out, std::size_t n) {
            std::copy_n(text.data() + offset, n, out);
            return static_cast<std::int64_t>(n);
        },
        128);
    SmpTextChanges read(bytes);
    HeldFirmware firmware(image);
    PatchFitter fitter(read, firmware, direction);
    PatchFit fit = fitter.Fit();
    StringSink sink(image);
    if (fit.verdict == FitVerdict::Fits) {
        EXPECT_EQ(fitter.Write(sink), PatchFitter::Written::Done);
    }
    fit.image = sink.out;
    return fit;
}

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
        // Reverted in reverse order, the earliest change's `from` wins a byte.
        {true, {ab, {3, "Xe", "DE", 9}}, "abADEfgh", Revert, Fits, "abcdefgh", {}},
        {true, {ab, {3, "Xe", "DE", 9}}, "abcdefgh", Revert, AlreadyDone, "", {Differs, Differs}},
        {true, {{6, "gh", "GH", 7}, {7, "h", "Z", 8}}, "abcdefGZ", Revert, Fits, "abcdefgh", {}},
        {false, {ab}, "abcdefgh", Revert, AlreadyDone, "", {Differs}},
        {true, {abNoFrom, ab}, "abABefgh", Revert, DoesNotFit, "", {NoFrom}},
        {true, {ab, overlapping, outside}, "abADEfgh", Revert, DoesNotFit, "", {Outside}},
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
        const PatchFit read = FitFromText(c.changes, c.image, c.direction);
        EXPECT_EQ(c.verdict, read.verdict) << c.image;
        EXPECT_EQ(c.result, read.image) << c.image;
        EXPECT_EQ(c.overlaps, read.overlaps) << c.image;
        EXPECT_EQ(fit.misfitCount, read.misfitCount) << c.image;
        for (std::size_t i = 0; i < fit.misfits.size() && i < read.misfits.size(); ++i) {
            EXPECT_EQ(fit.misfits[i].expected + fit.misfits[i].found,
                      read.misfits[i].expected + read.misfits[i].found)
                << c.image;
        }
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

namespace quorrel {
namespace {

// Patches made one after another over an image that is not held give what making each in turn
// on a held image gives; one that does not fit clashes with the patch that last changed the
// value of the first byte it needs and finds otherwise, by a byte-by-byte account. Some rounds
// are larger than the pieces the overlay keeps and compares in.
TEST(PatchFitTest, SeriesMakesEachPatchOnWhatTheOnesBeforeLeft) {
    std::mt19937 random(2026);
    for (int round = 0; round < 300; ++round) {
        const PatchDirection direction = round % 2 == 0 ? Apply : Revert;
        const bool apply = direction == Apply;
        const std::size_t scale = round < 2 ? 1 << 16 : 1;
        // Few values in small rounds, so that bytes are often written as they were.
        const auto byte = [&] { return static_cast<char>(random() % (scale > 1 ? 256 : 3)); };
        std::string image(scale * (8 + random() % 24), '\0');
        std::generate(image.begin(), image.end(), byte);
        std::string made = image;
        std::vector<int> changedBy(image.size(), -1);
        HeldFirmware firmware(image);
        PatchSeries series(firmware);
        for (std::uint32_t patch = 0; patch < 2 + random() % 4; ++patch) {
            SmpChanges changes;
            for (std::uint32_t line = 1; line < 2 + random() % 4; ++line) {
                const auto offset = static_cast<std::uint32_t>(random() % image.size());
                const std::size_t count =
                    std::min<std::size_t>(scale * (1 + random() % 12), image.size() - offset);
                // Mostly the bytes the patches before left, else the first image's, or any.
                const int from = static_cast<int>(random() % 8);
                std::string needed = (from > 2 ? made : image).substr(offset, count);
                std::string written(count, '\0');
                std::generate(written.begin(), written.end(), byte);
                if (from == 0) {
                    std::generate(needed.begin(), needed.end(), byte);
                }
                changes.push_back(
                    {offset, apply ? needed : written, apply ? written : needed, line});
            }
            const PatchFit expected = FitPatch(changes, made, direction);
            std::optional<PatchSeries::Clash> clash;
            for (std::size_t i = 0; i < changes.size() && expected.verdict == DoesNotFit && !clash;
                 ++i) {
                const SmpChange& c = changes[i];
                const std::string& needed = apply ? *c.from : c.to;
                for (std::size_t k = c.offset; k < c.offset + needed.size() && !clash; ++k) {
                    if (needed[k - c.offset] != made[k] && changedBy[k] >= 0) {
                        clash = {static_cast<std::uint32_t>(changedBy[k]),
                                 static_cast<std::uint32_t>(k)};
                    }
                }
            }
            const std::string text = Text(changes);
            MemoryBytes bytes(text);
            SmpTextChanges read(bytes);
            const PatchSeries::Made got = series.Make(read, direction, patch);
            ASSERT_EQ(got.fit.verdict, expected.verdict) << round;
            EXPECT_EQ(got.fit.misfitCount, expected.misfitCount) << round;
            EXPECT_EQ(got.clash.has_value(), clash.has_value()) << round;
            if (got.clash && clash) {
                EXPECT_EQ(got.clash->patch, clash->patch) << round;
                EXPECT_EQ(got.clash->offset, clash->offset) << round;
            }
            if (expected.verdict == Fits) {
                for (std::size_t k = 0; k < made.size(); ++k) {
                    changedBy[k] =
                        expected.image[k] != made[k] ? static_cast<int>(patch) : changedBy[k];
                }
                made = expected.image;
            }
        }
        StringSink sink(image);
        sink.overwrites = round % 3 != 0;
        ASSERT_TRUE(series.Write(sink));
        EXPECT_TRUE(sink.out == made) << round;
    }
}

// An image cut while a patch is made, whether it is fitted or kept, is reported, never taken for
// a fit.
TEST(PatchFitTest, SeriesReportsAnImageCutMidway) {
    class CutImage final : public FirmwareBytes {
      public:
        explicit CutImage(int reads) : reads_(reads) {}
        std::uint32_t size() const override { return 8; }
        const std::uint8_t* Read(std::uint32_t offset, std::size_t) override {
            failed = failed || reads_-- == 0;
            return failed ? nullptr : reinterpret_cast<const std::uint8_t*>("abcdefgh") + offset;
        }
        bool failed = false;

      private:
        int reads_;
    };
    for (int reads = 0; reads < 3; ++reads) {
        CutImage image(reads);
        PatchSeries series(image);
        const std::string text = Text({{2, "cd", "XY", 1}});
        MemoryBytes bytes(text);
        SmpTextChanges read(bytes);
        const PatchSeries::Made made = series.Make(read, Apply, 0);
        EXPECT_EQ(made.fit.imageFailed, image.failed) << reads;
        EXPECT_EQ(made.fit.imageFailed || made.fit.verdict == Fits, true) << reads;
    }
}

}  // namespace
}  // namespace quorrel
