#pragma once

#include <cstddef>
#include <string_view>

#include "BlockSource.h"
#include "StreamSmpPatch.h"

namespace quorrel {

// Writes a DIFF file of `blocks` into `sink`: the header naming `firmware` (Windows-1251, cut at
// diff::kFirmwareNameSize bytes), then one NORD block per block, in the order given. In pieces of
// at most `chunk` bytes made in one buffer, so a DIFF of any size takes bounded memory. A walk
// that fails stops it with the walk's error.
StreamOutcome WriteDiff(std::string_view firmware, BlockSource& blocks, const TextSink& sink,
                        std::size_t chunk = kDefaultTextChunk);

}  // namespace quorrel
