#pragma once

#include <string>

#include "ByteSource.h"
#include "LoadedFile.h"

namespace quorrel {

struct DiffCheck {
    bool accepted = false;
    std::string message;       // empty when accepted
    std::string firmwareName;  // set only when accepted
};

struct ImageCheck {
    bool accepted = false;
    std::string message;  // empty when accepted
};

inline constexpr std::uint32_t kMinimumImageSize = 11'500'000;

DiffCheck CheckDiffFile(const LoadedFile& file);
// The same for a DIFF read by position, of which only the header is read.
DiffCheck CheckDiffFile(ByteSource& file);
ImageCheck CheckFirmwareImage(const LoadedFile& file);
// The same for an image known by its size alone; LoadedFile::kFailedRead is a failed read.
ImageCheck CheckFirmwareImage(std::uint32_t size);

}  // namespace quorrel
