#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "SmpPatch.h"

namespace quorrel {

enum class PatchDirection { Apply, Revert };

enum class FitVerdict {
    Fits,         // every change can be made; `image` holds the result
    AlreadyDone,  // the image already holds what the direction would write
    DoesNotFit,   // see `misfits`
};

struct Misfit {
    enum class Reason { Outside, Differs, NoFrom };
    Reason reason = Reason::Differs;
    std::uint32_t offset = 0;
    std::uint32_t line = 0;
    // Differs: the first kKeptBytes bytes the change expects there, and those the image holds;
    // one more than a message shows, so it can tell that more follow.
    std::string expected;
    std::string found;

    static constexpr std::size_t kKeptBytes = 17;
};

struct PatchFit {
    FitVerdict verdict = FitVerdict::DoesNotFit;
    std::vector<Misfit> misfits;  // the first kShownMisfits, in patch order
    std::size_t misfitCount = 0;
    bool overlaps = false;         // some changes share bytes; they are made in patch order
    bool someWithoutFrom = false;  // such changes can only be checked for lying in the image
    std::string image;             // FitPatch: the patched or reverted image when it fits
    // When either is set, nothing above is: the patch was refused (Windows-1251, naming the
    // line) or could not be read; the image could not be read.
    std::string patchError;
    bool imageFailed = false;
};

inline constexpr std::size_t kShownMisfits = 5;

// Whether `changes` can be made to `image` in `direction`, and the result when they can.
// Applying writes each `to` in patch order and needs the `from` bytes, where recorded, in the
// image; reverting needs every change to have `from`, and the image to hold what applying would
// leave there, and writes the `from` bytes back in reverse order. See PatchFitter for doing the
// same without holding the patch or the image.
PatchFit FitPatch(const SmpChanges& changes, std::string_view image, PatchDirection direction);

}  // namespace quorrel
