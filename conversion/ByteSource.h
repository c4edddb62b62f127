#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace quorrel {

// Bytes read by position: a file read piece by piece through one reused buffer, or bytes held in
// memory.
class ByteSource {
  public:
    static constexpr std::size_t kMostNeeded = 64;

    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    // The bytes from `offset` (at most size()) on: at least min(`need`, size() - offset) of them,
    // and more where they are at hand; valid until the next call. Empty when they cannot be read,
    // e.g. because the file was cut meanwhile. `need` is at most kMostNeeded.
    virtual std::span<const std::uint8_t> Read(std::uint64_t offset, std::size_t need) = 0;
    // The same for the bytes before `end`, for reading backwards: the span ends at `end`.
    virtual std::span<const std::uint8_t> ReadBefore(std::uint64_t end, std::size_t need) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(need, end));
        const std::span<const std::uint8_t> got = Read(end - n, n);
        return got.size() < n ? got.first(0) : got.first(n);
    }
    // Bytes from `offset` on will be read again soon: a buffer keeps them where it can.
    virtual void Retain(std::uint64_t /*offset*/) {}
};

// Bytes held in memory, which must outlive it.
class MemoryBytes final : public ByteSource {
  public:
    explicit MemoryBytes(std::string_view bytes) : bytes_(bytes) {}
    std::uint64_t size() const override { return bytes_.size(); }
    std::span<const std::uint8_t> Read(std::uint64_t offset, std::size_t) override {
        return Bytes().subspan(static_cast<std::size_t>(offset));
    }
    std::span<const std::uint8_t> ReadBefore(std::uint64_t end, std::size_t) override {
        return Bytes().first(static_cast<std::size_t>(end));
    }

  private:
    std::span<const std::uint8_t> Bytes() const {
        return {reinterpret_cast<const std::uint8_t*>(bytes_.data()), bytes_.size()};
    }

    std::string_view bytes_;
};

}  // namespace quorrel
