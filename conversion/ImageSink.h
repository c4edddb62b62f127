#pragma once

#include <cstdint>
#include <span>

namespace quorrel {

// Where a patched image goes, front to back. False from either call stops the writing; the sink
// knows why.
class ImageSink {
  public:
    virtual ~ImageSink() = default;
    // Appends the input image's bytes [offset, offset + n).
    virtual bool Copy(std::uint64_t offset, std::uint64_t n) = 0;
    virtual bool Write(std::span<const std::uint8_t> bytes) = 0;
};

}  // namespace quorrel
