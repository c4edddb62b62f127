#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

#include "FirmwareBytes.h"
#include "LoadedFile.h"
#include "PatchInfo.h"

namespace quorrel {

// Takes each piece of the text in order; false stops the composition.
using TextSink = std::function<bool(std::string_view)>;

struct StreamOutcome {
    std::string_view error;  // empty on success
    bool sinkFailed = false;
};

inline constexpr std::size_t kDefaultTextChunk = std::size_t{4} << 20;

// Composes the SMP patch text of `diff` into `sink`, in pieces of at most `chunk` bytes made in
// one buffer, so that text of any size takes bounded memory. `image` may be null. A DIFF whose
// walk fails gets the text up to the bad block and the closing lines, and the error; an image
// that cannot be read stops it with the read error.
StreamOutcome StreamSmpPatch(const PatchInfo& info, std::string_view id, const LoadedFile& diff,
                             FirmwareBytes* image, const TextSink& sink,
                             std::size_t chunk = kDefaultTextChunk);

// The walk's verdict alone, so that a bad DIFF is refused before anything is written: the error
// text, or empty.
std::string_view CheckDiffBlocks(const LoadedFile& diff);

// The exact size of that text, for a DIFF whose walk succeeds.
std::size_t SmpPatchSize(const PatchInfo& info, std::string_view id, const LoadedFile& diff,
                         const FirmwareBytes* image);

}  // namespace quorrel
