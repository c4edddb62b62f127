#include "BufferedBytes.h"

#include <algorithm>
#include <cstring>

namespace quorrel {

BufferedBytes::BufferedBytes(std::uint64_t size, ReadAt readAt, std::size_t capacity)
    : size_(size), readAt_(std::move(readAt)), capacity_(std::max(capacity, 2 * kMostNeeded)) {}

bool BufferedBytes::Fill(std::uint64_t start) {
    if (buffer_ == nullptr) {
        // A small file takes no more memory than its size.
        buffer_.reset(new std::uint8_t[std::min<std::uint64_t>(capacity_, size_)]);
    }
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(capacity_, size_ - start));
    std::size_t kept = 0;
    if (start >= start_ && start < start_ + held_) {
        kept = std::min(want, static_cast<std::size_t>(start_ + held_ - start));
        std::memmove(buffer_.get(), buffer_.get() + (start - start_), kept);
    }
    held_ = 0;
    const std::int64_t got = readAt_(start + kept, buffer_.get() + kept, want - kept);
    if (got != static_cast<std::int64_t>(want - kept)) {
        return false;  // failed, or the file was cut after its size was taken
    }
    start_ = start;
    held_ = want;
    return true;
}

std::span<const std::uint8_t> BufferedBytes::Read(std::uint64_t offset, std::size_t need) {
    need = static_cast<std::size_t>(std::min<std::uint64_t>(need, size_ - offset));
    const bool hit = offset >= start_ && offset + need <= start_ + held_;
    if (!hit) {
        // Moving on, the bytes asked to be retained stay when they fit beside the new ones.
        const bool keep = retain_ <= offset && offset + need - retain_ <= capacity_;
        if (!Fill(keep ? retain_ : offset)) {
            return {};
        }
    }
    return {buffer_.get() + (offset - start_), static_cast<std::size_t>(start_ + held_ - offset)};
}

std::span<const std::uint8_t> BufferedBytes::ReadBefore(std::uint64_t end, std::size_t need) {
    need = static_cast<std::size_t>(std::min<std::uint64_t>(need, end));
    const bool hit = end - need >= start_ && end <= start_ + held_;
    if (!hit && !Fill(end - std::min<std::uint64_t>(end, capacity_))) {
        return {};
    }
    return {buffer_.get(), static_cast<std::size_t>(end - start_)};
}

}  // namespace quorrel
