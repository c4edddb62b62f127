#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "DiffFormat.h"
#include "LoadedFile.h"
#include "Messages.h"

namespace quorrel {

struct NordBlock {
    std::uint32_t offset;
    const std::uint8_t* newBytes;
    std::size_t count;  // bytes replaced
};

// Walks the blocks after the header, calling `onNord` for each NORD block in order; `onNord`
// returns false to stop. Returns the error text, empty when the walk reached the end or was
// stopped. Never reads outside the contents.
template <typename OnNord>
std::string_view WalkDiffBlocks(const LoadedFile& diff, OnNord&& onNord) {
    const std::uint64_t size = diff.failed() ? 0 : diff.size();
    const std::uint8_t* const bytes = diff.data();
    if (size < diff::kHeaderSize) {
        return msg::kBadDiffBlocks;
    }
    std::uint64_t p = diff::kHeaderSize;
    while (p < size) {
        if (size - p < diff::kBlockHeaderSize || !diff::FieldIs(bytes + p, diff::kBlockTag)) {
            return msg::kBadDiffBlocks;
        }
        const std::uint64_t count = diff::ReadLe32(bytes + p + 8);
        if (diff::FieldIs(bytes + p + 4, diff::kNordType)) {
            if (count < 4 || count > size - p - diff::kBlockHeaderSize) {
                return msg::kBadDiffBlocks;
            }
            if (!onNord(NordBlock{diff::ReadLe32(bytes + p + 12), bytes + p + 16,
                                  static_cast<std::size_t>(count - 4)})) {
                return {};
            }
            p += diff::kBlockHeaderSize + count;
        } else {
            if (count == 0) {
                return msg::kBadDiffBlocks;  // it would hold the walk in place for ever
            }
            p += count;
        }
    }
    return {};
}

}  // namespace quorrel
