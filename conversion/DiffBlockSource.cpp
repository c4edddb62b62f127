#include "DiffBlockSource.h"

#include <algorithm>

#include "DiffFormat.h"
#include "Messages.h"

namespace quorrel {

bool DiffBlockSource::Fail(std::string_view error) {
    error_ = error;
    ended_ = true;
    bytesLeft_ = 0;
    return false;
}

bool DiffBlockSource::Next(BlockStart& block) {
    if (ended_) {
        return false;
    }
    bytesLeft_ = 0;
    const std::uint64_t size = diff_.size();
    if (next_ == 0) {
        if (size < diff::kHeaderSize) {
            return Fail(msg::kBadDiffBlocks);
        }
        next_ = diff::kHeaderSize;
    }
    while (next_ < size) {
        if (size - next_ < diff::kBlockHeaderSize) {
            return Fail(msg::kBadDiffBlocks);
        }
        const std::span<const std::uint8_t> head = diff_.Read(next_, diff::kBlockHeaderSize + 4);
        if (head.empty()) {
            return Fail(msg::kReadError);
        }
        if (!diff::FieldIs(head.data(), diff::kBlockTag)) {
            return Fail(msg::kBadDiffBlocks);
        }
        const std::uint64_t count = diff::ReadLe32(head.data() + 8);
        if (!diff::FieldIs(head.data() + 4, diff::kNordType)) {
            if (count == 0) {
                return Fail(msg::kBadDiffBlocks);  // it would hold the walk in place for ever
            }
            next_ += count;
            continue;
        }
        // A count of at least 4 inside the file also means the offset was read whole above.
        if (count < 4 || count > size - next_ - diff::kBlockHeaderSize) {
            return Fail(msg::kBadDiffBlocks);
        }
        block.offset = diff::ReadLe32(head.data() + diff::kBlockHeaderSize);
        block.count = static_cast<std::uint32_t>(count - 4);
        bytesAt_ = next_ + diff::kBlockHeaderSize + 4;
        bytesLeft_ = block.count;
        next_ += diff::kBlockHeaderSize + count;
        return true;
    }
    ended_ = true;
    return false;
}

std::span<const std::uint8_t> DiffBlockSource::Take(std::size_t max) {
    if (bytesLeft_ == 0 || max == 0) {
        return {};
    }
    const std::span<const std::uint8_t> got = diff_.Read(bytesAt_, 1);
    if (got.empty()) {
        Fail(msg::kReadError);
        return {};
    }
    const std::size_t n = std::min({got.size(), std::size_t{bytesLeft_}, max});
    bytesAt_ += n;
    bytesLeft_ -= static_cast<std::uint32_t>(n);
    return got.first(n);
}

}  // namespace quorrel
