#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

#include "BlockSource.h"
#include "FirmwareBytes.h"
#include "PatchInfo.h"

namespace quorrel {

// Takes each piece of the text in order; false stops the composition.
using TextSink = std::function<bool(std::string_view)>;

struct StreamOutcome {
    std::string_view error;    // empty on success
    bool imageFailed = false;  // the error is the image's; otherwise it is the blocks'
    bool sinkFailed = false;
};

inline constexpr std::size_t kDefaultTextChunk = std::size_t{1} << 20;

// Which blocks record old bytes when there is an image. A converted DIFF leaves them out of a
// block that ends in the image's last four bytes, as patches have always been made; a patch made
// from two images records them everywhere, so that it always reverts.
enum class OldBytesReach { BeforeTheLastFour, ToTheEnd };

// Composes the SMP patch text of `blocks` into `sink`, in pieces of at most `chunk` bytes made in
// one buffer, so that text of any size takes bounded memory. `image` may be null. Blocks whose
// walk fails get the text up to the bad block and the closing lines, and the error; an image
// that cannot be read stops it with the read error.
StreamOutcome StreamSmpPatch(const PatchInfo& info, std::string_view id, BlockSource& blocks,
                             FirmwareBytes* image, const TextSink& sink,
                             std::size_t chunk = kDefaultTextChunk,
                             OldBytesReach reach = OldBytesReach::BeforeTheLastFour);

// The walk's verdict alone, so that a bad DIFF is refused before anything is written: the error
// text, or empty. Reads no block's bytes.
std::string_view CheckBlocks(BlockSource& blocks);

// The exact size of that text, for blocks whose walk succeeds. Reads no block's bytes.
std::size_t SmpPatchSize(const PatchInfo& info, std::string_view id, BlockSource& blocks,
                         const FirmwareBytes* image,
                         OldBytesReach reach = OldBytesReach::BeforeTheLastFour);

}  // namespace quorrel
