#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "ImageSink.h"

namespace quorrel {

// What patches made one after another did to an image, kept apart from the image: the bytes
// they wrote, in stretches, and which patch last changed the value of which bytes. The bytes are
// kept in pieces of 1 MiB that are never moved, so keeping more never needs twice the memory.
class ImageOverlay {
  public:
    // Bytes kept, laid over the image.
    struct Run {
        std::uint32_t offset = 0;
        std::uint32_t count = 0;
        std::uint64_t at = 0;  // where they are kept
    };
    // Bytes whose value `patch` changed.
    struct Change {
        std::uint32_t offset = 0;
        std::uint32_t count = 0;
        std::uint32_t patch = 0;
    };

    // Keeps `bytes`, to go at `offset`, as runs appended to `runs` for Paint; `runs` takes every
    // Keep until then.
    void Keep(std::uint32_t offset, std::span<const std::uint8_t> bytes, std::vector<Run>& runs);
    // Lays `runs` and `changes` (each apart from each other, in any order) over those so far.
    void Paint(std::vector<Run> runs, std::vector<Change> changes);

    // The changes lying in [offset, offset + n), in offset order.
    std::span<const Change> ChangesWithin(std::uint64_t offset, std::uint64_t n) const;
    // Whether a run lies in [offset, offset + n).
    bool Covers(std::uint64_t offset, std::uint64_t n) const;
    // Lays the runs over `bytes`, the image's bytes from `offset` on.
    void Lay(std::uint64_t offset, std::span<std::uint8_t> bytes) const;

    // Writes the image of `size` bytes with the runs laid over it: its own bytes are the sink's
    // to copy.
    bool Write(ImageSink& sink, std::uint32_t size) const;

  private:
    const std::uint8_t* BytesOf(const Run& run) const;

    std::vector<Run> runs_;  // in offset order, apart
    std::vector<Change> changes_;
    std::vector<std::unique_ptr<std::uint8_t[]>> pieces_;
    std::size_t used_ = 0;  // of the last piece
};

}  // namespace quorrel
