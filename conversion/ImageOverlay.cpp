#include "ImageOverlay.h"

#include <algorithm>
#include <cstring>

namespace quorrel {

namespace {

constexpr std::size_t kPiece = std::size_t{1} << 20;

template <typename T>
std::uint64_t End(const T& run) {
    return std::uint64_t{run.offset} + run.count;
}

// The part [from, to) of `run`.
ImageOverlay::Run Part(const ImageOverlay::Run& run, std::uint64_t from, std::uint64_t to) {
    return {static_cast<std::uint32_t>(from), static_cast<std::uint32_t>(to - from),
            run.at + (from - run.offset)};
}
ImageOverlay::Change Part(const ImageOverlay::Change& change, std::uint64_t from,
                          std::uint64_t to) {
    return {static_cast<std::uint32_t>(from), static_cast<std::uint32_t>(to - from), change.patch};
}

// Lays `added` over `runs` (both apart, `runs` in offset order, and kept so).
template <typename T>
void PaintOver(std::vector<T>& runs, std::vector<T> added) {
    const auto byOffset = [](const T& a, const T& b) { return a.offset < b.offset; };
    std::sort(added.begin(), added.end(), byOffset);
    // What the new runs leave of the old ones, then both merged.
    std::vector<T> left;
    std::size_t first = 0;
    for (const T& old : runs) {
        while (first < added.size() && End(added[first]) <= old.offset) {
            ++first;
        }
        std::uint64_t from = old.offset;
        for (std::size_t i = first; i < added.size() && added[i].offset < End(old); ++i) {
            if (added[i].offset > from) {
                left.push_back(Part(old, from, added[i].offset));
            }
            from = std::max(from, End(added[i]));
        }
        if (from < End(old)) {
            left.push_back(Part(old, from, End(old)));
        }
    }
    runs.clear();
    runs.shrink_to_fit();
    runs.reserve(left.size() + added.size());
    std::merge(left.begin(), left.end(), added.begin(), added.end(), std::back_inserter(runs),
               byOffset);
}

template <typename T>
std::span<const T> Within(const std::vector<T>& runs, std::uint64_t offset, std::uint64_t n) {
    const auto begin = std::partition_point(runs.begin(), runs.end(),
                                            [&](const T& run) { return End(run) <= offset; });
    const auto end = std::partition_point(begin, runs.end(),
                                          [&](const T& run) { return run.offset < offset + n; });
    return {begin, end};
}

}  // namespace

// A run never crosses the end of a piece, so its bytes always lie side by side.
void ImageOverlay::Keep(std::uint32_t offset, std::span<const std::uint8_t> bytes,
                        std::vector<Run>& runs) {
    while (!bytes.empty()) {
        if (pieces_.empty() || used_ == kPiece) {
            pieces_.emplace_back(new std::uint8_t[kPiece]);
            used_ = 0;
        }
        const std::size_t n = std::min(bytes.size(), kPiece - used_);
        std::memcpy(pieces_.back().get() + used_, bytes.data(), n);
        const std::uint64_t at = (pieces_.size() - 1) * kPiece + used_;
        // Bytes side by side, kept one after the other for `runs` alone, lie side by side in the
        // same piece too, unless it is a new one.
        if (used_ != 0 && !runs.empty() && End(runs.back()) == offset) {
            runs.back().count += static_cast<std::uint32_t>(n);
        } else {
            runs.push_back({offset, static_cast<std::uint32_t>(n), at});
        }
        used_ += n;
        offset += static_cast<std::uint32_t>(n);
        bytes = bytes.subspan(n);
    }
}

const std::uint8_t* ImageOverlay::BytesOf(const Run& run) const {
    return pieces_[run.at / kPiece].get() + run.at % kPiece;
}

void ImageOverlay::Paint(std::vector<Run> runs, std::vector<Change> changes) {
    PaintOver(runs_, std::move(runs));
    PaintOver(changes_, std::move(changes));
}

std::span<const ImageOverlay::Change> ImageOverlay::ChangesWithin(std::uint64_t offset,
                                                                  std::uint64_t n) const {
    return Within(changes_, offset, n);
}

bool ImageOverlay::Covers(std::uint64_t offset, std::uint64_t n) const {
    return !Within(runs_, offset, n).empty();
}

void ImageOverlay::Lay(std::uint64_t offset, std::span<std::uint8_t> bytes) const {
    for (const Run& run : Within(runs_, offset, bytes.size())) {
        const std::uint64_t from = std::max<std::uint64_t>(run.offset, offset);
        const std::uint64_t to = std::min<std::uint64_t>(End(run), offset + bytes.size());
        std::memcpy(bytes.data() + (from - offset), BytesOf(run) + (from - run.offset),
                    static_cast<std::size_t>(to - from));
    }
}

bool ImageOverlay::Write(ImageSink& sink, std::uint32_t size) const {
    std::uint64_t covered = 0;
    for (const Run& run : runs_) {
        covered += run.count;
    }
    if (sink.CanOverwrite() && covered < runs_.size() * kOverwriteBelow) {
        if (!sink.Copy(0, size)) {
            return false;
        }
        return std::all_of(runs_.begin(), runs_.end(), [&](const Run& run) {
            return sink.Overwrite(run.offset, {BytesOf(run), run.count});
        });
    }
    std::uint64_t at = 0;
    for (const Run& run : runs_) {
        if (!sink.Copy(at, run.offset - at) || !sink.Write({BytesOf(run), run.count})) {
            return false;
        }
        at = End(run);
    }
    return sink.Copy(at, size - at);
}

}  // namespace quorrel
