#pragma once

#include <cstdint>
#include <span>

namespace quorrel {

// Below this many changed bytes a stretch apart, copying the image whole and writing the changes
// over it costs less than a copy call for every stretch between them.
inline constexpr std::uint64_t kOverwriteBelow = std::uint64_t{64} << 10;

// Where a patched image goes, front to back. False from either call stops the writing; the sink
// knows why.
class ImageSink {
  public:
    virtual ~ImageSink() = default;
    // Appends the input image's bytes [offset, offset + n).
    virtual bool Copy(std::uint64_t offset, std::uint64_t n) = 0;
    virtual bool Write(std::span<const std::uint8_t> bytes) = 0;
    // Whether Overwrite works, so that the image can be copied whole first (one call) and the
    // changes laid over it, instead of a copy for every stretch between them.
    virtual bool CanOverwrite() const { return false; }
    // Writes again at `offset` what was already written.
    virtual bool Overwrite(std::uint64_t /*offset*/, std::span<const std::uint8_t> /*bytes*/) {
        return false;
    }
};

}  // namespace quorrel
