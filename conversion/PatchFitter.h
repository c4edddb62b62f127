#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "FirmwareBytes.h"
#include "ImageSink.h"
#include "PatchChanges.h"
#include "PatchFit.h"

namespace quorrel {

// Fits a patch to an image as FitPatch does, and writes the result, without holding either: one
// walk of the changes gives the verdict from the image bytes under them alone, another writes
// the result, copying the image around the changes, or copying it whole and writing the changes
// over it where the output allows. Where changes overlap, the image is held whole (and for a
// revert a bit per byte) to reproduce the order in which they are made; where they only lie out
// of order and the output is written front to back, it is held whole for the writing.
class PatchFitter {
  public:
    enum class Written { Done, PatchFailed, ImageFailed, SinkFailed };

    PatchFitter(PatchChanges& changes, FirmwareBytes& image, PatchDirection direction);
    ~PatchFitter();

    PatchFit Fit();
    // The patched or reverted image, after a Fit that found it fits.
    Written Write(ImageSink& sink);

  private:
    struct Compared;
    struct Range {
        std::uint32_t first;
        std::uint32_t last;  // inclusive, so a change reaching 4 GiB fits
    };

    template <typename Visit>
    bool Walk(Visit&& visit);
    void Note(Misfit misfit);
    void AddRange(const ChangeHead& change);
    bool Overlap();
    bool Compare(const ChangeHead& change, bool misfitSide, bool doneSide, Compared& result);
    bool Bytes(bool from, std::uint64_t skip, std::size_t n, std::uint8_t* out);
    const std::uint8_t* Image(std::uint64_t offset, std::size_t n);
    bool FitExactly(bool allInside);
    bool Misfits();
    bool Revert();
    bool HoldImage();
    bool Place(bool from);
    bool SameAsImage(bool& same);
    bool WriteHeld(ImageSink& sink);
    Written Overwrite(ImageSink& sink, bool from);
    Written Merge(ImageSink& sink, bool from);

    PatchChanges& changes_;
    FirmwareBytes& image_;
    const PatchDirection direction_;
    PatchFit fit_;
    std::vector<Range> ranges_;
    bool sorted_ = true;
    std::uint64_t lastEnd_ = 0;
    std::size_t runs_ = 0;       // stretches of changed bytes, changes side by side joined
    std::uint64_t covered_ = 0;  // bytes the changes write
    std::uint64_t walked_ = 0;   // a digest of the first walk's changes, checked by the writing one
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::unique_ptr<std::uint8_t[]> held_;  // the result, when it is made in memory
};

}  // namespace quorrel
