#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "LoadedFile.h"

namespace quorrel {

// Where a composition takes the old bytes from: an image held whole, or a file read only where
// the blocks lie.
class FirmwareBytes {
  public:
    virtual ~FirmwareBytes() = default;
    virtual std::uint32_t size() const = 0;
    // The `n` bytes from `offset` (all inside size()), valid until the next call; null when they
    // cannot be read, e.g. because the file was cut meanwhile.
    virtual const std::uint8_t* Read(std::uint32_t offset, std::size_t n) = 0;
};

// An image read whole; it must not be a failed read.
class LoadedFirmware final : public FirmwareBytes {
  public:
    explicit LoadedFirmware(const LoadedFile& file) : file_(file) {}
    std::uint32_t size() const override { return file_.size(); }
    const std::uint8_t* Read(std::uint32_t offset, std::size_t) override {
        return file_.data() + offset;
    }

  private:
    const LoadedFile& file_;
};

// An image held in memory, which must outlive it; smaller than 4 GiB.
class HeldFirmware final : public FirmwareBytes {
  public:
    explicit HeldFirmware(std::string_view bytes) : bytes_(bytes) {}
    std::uint32_t size() const override { return static_cast<std::uint32_t>(bytes_.size()); }
    const std::uint8_t* Read(std::uint32_t offset, std::size_t) override {
        return reinterpret_cast<const std::uint8_t*>(bytes_.data()) + offset;
    }

  private:
    std::string_view bytes_;
};

}  // namespace quorrel
