#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "ImageSink.h"

namespace quorrel {

// The bytes that patches made one after another changed in an image, kept apart from the image,
// each run of them with the patch that changed it last. The bytes are kept in pieces of 1 MiB
// that are never moved, so keeping more never needs twice the memory.
class ImageOverlay {
  public:
    struct Run {
        std::uint32_t offset = 0;
        std::uint32_t count = 0;
        std::uint32_t patch = 0;
        std::uint64_t at = 0;  // where its bytes are kept
    };

    // Keeps `bytes`, which `patch` puts at `offset`, as runs appended to `runs` for Paint.
    void Keep(std::uint32_t offset, std::span<const std::uint8_t> bytes, std::uint32_t patch,
              std::vector<Run>& runs);
    // Lays `runs` (apart from each other, in any order) over the runs kept so far.
    void Paint(std::vector<Run> runs);

    // The runs lying in [offset, offset + n), in offset order.
    std::span<const Run> Within(std::uint64_t offset, std::uint64_t n) const;
    const std::uint8_t* BytesOf(const Run& run) const;
    // Lays the runs over `bytes`, the image's bytes from `offset` on.
    void Lay(std::uint64_t offset, std::span<std::uint8_t> bytes) const;

    // Writes the image of `size` bytes with the runs laid over it: its own bytes are the sink's
    // to copy.
    bool Write(ImageSink& sink, std::uint32_t size) const;

  private:
    std::vector<Run> runs_;  // in offset order, apart
    std::vector<std::unique_ptr<std::uint8_t[]>> pieces_;
    std::size_t used_ = 0;  // of the last piece
};

}  // namespace quorrel
