#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace quorrel {

// Bytes read by position: a file read piece by piece through one reused buffer, or bytes held in
// memory.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    // The bytes from `offset` (below size()) on: at least min(`need`, size() - offset) of them,
    // and more where they are at hand; valid until the next call. Empty when they cannot be read,
    // e.g. because the file was cut meanwhile. `need` is at most kMostNeeded.
    virtual std::span<const std::uint8_t> Read(std::uint64_t offset, std::size_t need) = 0;

    static constexpr std::size_t kMostNeeded = 64;
};

// Bytes held in memory, which must outlive it.
class MemoryBytes final : public ByteSource {
  public:
    explicit MemoryBytes(std::string_view bytes) : bytes_(bytes) {}
    std::uint64_t size() const override { return bytes_.size(); }
    std::span<const std::uint8_t> Read(std::uint64_t offset, std::size_t) override {
        return {reinterpret_cast<const std::uint8_t*>(bytes_.data()) + offset,
                bytes_.size() - static_cast<std::size_t>(offset)};
    }

  private:
    std::string_view bytes_;
};

}  // namespace quorrel
