#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "FirmwareBytes.h"
#include "FirmwareFile.h"
#include "LoadedFile.h"

namespace quorrel {

// The image of a run: read whole only from standard input, which cannot be read twice, or when
// asked; a file is otherwise read only where it is needed.
class OpenedImage {
  public:
    void Open(const std::string& path, bool whole = false);

    // Null when it could not be read.
    FirmwareBytes* bytes();
    // LoadedFile::kFailedRead when it could not be read.
    std::uint32_t size();
    // The file; null for standard input.
    const InputFile* file() const { return file_ ? &file_->file() : nullptr; }
    // Standard input's bytes; empty for a file.
    std::string_view held() const { return whole_.view(); }

  private:
    LoadedFile whole_;
    std::optional<LoadedFirmware> loaded_;
    std::optional<FirmwareFile> file_;
};

}  // namespace quorrel
