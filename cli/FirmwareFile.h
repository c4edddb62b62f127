#pragma once

#include <cstdint>
#include <vector>

#include "FirmwareBytes.h"
#include "InputFile.h"

namespace quorrel {

// An image on disk of which only the bytes under the blocks are read, so a small patch of a
// large image reads little. Never mapped: a file cut while mapped would kill the process.
class FirmwareFile final : public FirmwareBytes {
  public:
    // `file` must be open and smaller than LoadedFile::kFailedRead.
    explicit FirmwareFile(InputFile file) : file_(std::move(file)) {}

    std::uint32_t size() const override { return static_cast<std::uint32_t>(file_.size()); }
    const std::uint8_t* Read(std::uint32_t offset, std::size_t n) override;
    const InputFile& file() const { return file_; }

  private:
    InputFile file_;
    std::vector<std::uint8_t> buffer_;
};

}  // namespace quorrel
