#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "FirmwareBytes.h"
#include "ImageOverlay.h"
#include "ImageSink.h"
#include "PatchChanges.h"
#include "PatchFit.h"

namespace quorrel {

// Patches made one after another onto one image, each fitted (PatchFitter) to the image as the
// ones before it left it. The image is not held: only the bytes the patches changed are kept,
// with which patch changed each last, and laid over the image's own bytes where those are read.
// A byte a patch writes with the value it had is not counted as changed by it.
class PatchSeries final : public FirmwareBytes {
  public:
    // A byte the patch needs, last changed by an earlier one.
    struct Clash {
        std::uint32_t patch = 0;
        std::uint32_t offset = 0;
    };
    struct Made {
        PatchFit fit;
        std::optional<Clash> clash;  // only when it does not fit
    };

    // `image` must outlive it.
    explicit PatchSeries(FirmwareBytes& image) : image_(image) {}

    // The image as the patches made so far leave it.
    std::uint32_t size() const override { return image_.size(); }
    const std::uint8_t* Read(std::uint32_t offset, std::size_t n) override;

    // Fits `changes` in `direction` to the image as it is now and, when they fit, makes them,
    // as the patch numbered `patch`; numbers grow in the order the patches are made.
    Made Make(PatchChanges& changes, PatchDirection direction, std::uint32_t patch);
    // The image with every patch made, into a sink that copies the image's own bytes itself.
    bool Write(ImageSink& sink) const { return overlay_.Write(sink, size()); }

  private:
    class Recorder;

    std::optional<Clash> FindClash(PatchChanges& changes, PatchDirection direction);

    FirmwareBytes& image_;
    ImageOverlay overlay_;
    std::vector<std::uint8_t> buffer_;
};

}  // namespace quorrel
