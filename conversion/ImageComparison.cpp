#include "ImageComparison.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "ChangeMask.h"
#include "Messages.h"

namespace quorrel {

ImageComparison::ImageComparison(Image oldImage, Image newImage, std::size_t piece,
                                 std::uint32_t maxBlock)
    : size_(static_cast<std::uint32_t>(newImage.size())),
      piece_(piece),
      maxBlock_(maxBlock),
      masks_((piece + 63) / 64) {
    old_.image = oldImage;
    new_.image = newImage;
}

bool ImageComparison::AnyChange() {
    while (handed_ == found_.size() && error_.empty() && scanned_ < size_) {
        ScanPiece();
    }
    return handed_ < found_.size();
}

bool ImageComparison::Next(BlockStart& block) {
    if (!AnyChange()) {
        return false;
    }
    current_ = block = found_[handed_++];
    taken_ = 0;
    return true;
}

std::span<const std::uint8_t> ImageComparison::Take(std::size_t max) {
    const std::size_t n = std::min<std::size_t>(max, current_.count - taken_);
    if (n == 0 || !error_.empty()) {
        return {};
    }
    const std::uint8_t* bytes = Bytes(new_, std::uint64_t{current_.offset} + taken_, n);
    if (bytes == nullptr) {
        return {};
    }
    taken_ += static_cast<std::uint32_t>(n);
    return {bytes, n};
}

const std::uint8_t* ImageComparison::OldView::Read(std::uint32_t offset, std::size_t n) {
    return owner_.Bytes(owner_.old_, offset, n);
}

void ImageComparison::ScanPiece() {
    found_.clear();
    handed_ = 0;
    const std::uint64_t at = scanned_;
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(piece_, size_ - at));
    // An open block's bytes so far stay in the window, unless it has outgrown a piece.
    const std::uint64_t keepFrom = open_ && at - start_ <= piece_ ? start_ : at;
    if (!Fill(old_, keepFrom, at, n) || !Fill(new_, keepFrom, at, n)) {
        return;
    }
    windowStart_ = keepFrom;
    windowEnd_ = scanned_ = at + n;
    ChangeMasks(old_.window + (at - keepFrom), new_.window + (at - keepFrom), n, masks_.data());
    for (std::size_t w = 0; w < (n + 63) / 64; ++w) {
        std::uint64_t m = masks_[w];
        while (m != 0) {
            const int first = std::countr_zero(m);
            const int run = std::countr_one(m >> first);
            AddRun(at + 64 * w + static_cast<unsigned>(first), static_cast<unsigned>(run));
            if (first + run == 64) {
                break;
            }
            m &= ~std::uint64_t{0} << (first + run);
        }
    }
    // A block is handed out while its bytes are held: here once a full gap follows it.
    if (open_ && (scanned_ == size_ || scanned_ - next_ >= kBlockGap)) {
        Close();
    }
}

bool ImageComparison::Fill(Side& side, std::uint64_t keepFrom, std::uint64_t at, std::size_t n) {
    if (side.image.whole != nullptr) {
        side.window = side.image.whole->data() + keepFrom;
        return true;
    }
    const std::size_t kept = static_cast<std::size_t>(at - keepFrom);
    if (side.buffer.size() < kept + n) {
        side.buffer.resize(2 * piece_);
    }
    if (kept > 0) {
        std::memmove(side.buffer.data(), side.buffer.data() + (keepFrom - windowStart_), kept);
    }
    side.window = side.buffer.data();
    // Fewer bytes than asked means the file was cut after its size was taken.
    if (side.image.file->ReadAt(at, side.buffer.data() + kept, n) != static_cast<std::int64_t>(n)) {
        error_ = msg::kReadError;
        oldFailed_ = &side == &old_;
        return false;
    }
    return true;
}

void ImageComparison::AddRun(std::uint64_t at, std::uint64_t length) {
    if (open_ && at - next_ >= kBlockGap) {
        Close();
    }
    if (!open_) {
        open_ = true;
        start_ = at;
    }
    const std::uint64_t end = at + length;
    while (end - start_ > maxBlock_) {
        const std::uint64_t cut = start_ + maxBlock_;
        if (cut > at) {
            next_ = cut;  // inside this run
        }
        Close();
        open_ = true;
        start_ = std::max(cut, at);
    }
    next_ = end;
}

void ImageComparison::Close() {
    open_ = false;
    found_.push_back(
        {static_cast<std::uint32_t>(start_), static_cast<std::uint32_t>(next_ - start_)});
}

const std::uint8_t* ImageComparison::Bytes(Side& side, std::uint64_t offset, std::size_t n) {
    if (side.image.whole != nullptr) {
        return side.image.whole->data() + offset;
    }
    if (offset >= windowStart_ && offset + n <= windowEnd_) {
        return side.window + (offset - windowStart_);
    }
    if (side.again.size() < n) {
        side.again.resize(n);
    }
    if (side.image.file->ReadAt(offset, side.again.data(), n) != static_cast<std::int64_t>(n)) {
        error_ = msg::kReadError;
        oldFailed_ = &side == &old_;
        return nullptr;
    }
    return side.again.data();
}

}  // namespace quorrel
