#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace quorrel {

// Where one block of new bytes goes in the image, and how many there are.
struct BlockStart {
    std::uint32_t offset = 0;
    std::uint32_t count = 0;
};

// The blocks of new bytes a patch is composed from, in the order the patch lists them: a DIFF
// file walked front to back, or the blocks where two images differ. A block's bytes are taken in
// pieces, so a block of any size takes bounded memory, and a walk that needs only the starts
// (the patch's size, a check) never reads them.
class BlockSource {
  public:
    virtual ~BlockSource() = default;
    // Moves to the next block, past whatever is left of the current one. False at the end, and
    // when the walk failed: error() tells which.
    virtual bool Next(BlockStart& block) = 0;
    // The next of the current block's bytes: at least one and at most `max` while any are left;
    // empty once all were taken, or when they cannot be read (error() is then set). Valid until
    // the next call.
    virtual std::span<const std::uint8_t> Take(std::size_t max) = 0;
    // Why the walk failed (a malformed DIFF, a failed read); empty while it has not.
    virtual std::string_view error() const = 0;
};

}  // namespace quorrel
