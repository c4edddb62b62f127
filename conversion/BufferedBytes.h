#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "ByteSource.h"

namespace quorrel {

// A file read by position through one reused buffer, so that a walk front to back (or back to
// front) reads each byte about once, in pieces of the buffer's size, and never touches more
// fresh memory than the buffer.
class BufferedBytes final : public ByteSource {
  public:
    // Reads up to `n` bytes at `offset` into `out`: the count delivered, -1 when the read fails.
    using ReadAt =
        std::function<std::int64_t(std::uint64_t offset, std::uint8_t* out, std::size_t n)>;

    static constexpr std::size_t kDefaultCapacity = std::size_t{1} << 20;

    // `size` is the file's size as taken when it was opened; fewer bytes than that at a read mean
    // the file was cut, and the read fails.
    BufferedBytes(std::uint64_t size, ReadAt readAt, std::size_t capacity = kDefaultCapacity);

    std::uint64_t size() const override { return size_; }
    std::span<const std::uint8_t> Read(std::uint64_t offset, std::size_t need) override;
    std::span<const std::uint8_t> ReadBefore(std::uint64_t end, std::size_t need) override;
    void Retain(std::uint64_t offset) override { retain_ = offset; }

  private:
    // Makes the buffer hold the file from `start`, keeping the bytes it holds from there on.
    bool Fill(std::uint64_t start);

    const std::uint64_t size_;
    const ReadAt readAt_;
    const std::size_t capacity_;
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::uint64_t start_ = 0;  // the file position of buffer_[0]
    std::size_t held_ = 0;
    std::uint64_t retain_ = UINT64_MAX;
};

}  // namespace quorrel
