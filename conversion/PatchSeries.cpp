#include "PatchSeries.h"

#include <algorithm>
#include <cstring>

#include "Messages.h"
#include "PatchFitter.h"

namespace quorrel {

namespace {

// Bytes are compared in pieces of at most this size.
constexpr std::size_t kPiece = std::size_t{256} << 10;
// Changed bytes fewer than this many unchanged bytes apart are kept as one run: a run costs more
// to keep, and to write, than a few bytes.
constexpr std::size_t kJoin = 256;

}  // namespace

// Takes what a PatchFitter writes and keeps the stretches that differ from the image as it was
// before the patch. The fitter writes no byte twice (overlapping changes it writes as one whole
// image), so each is compared with the image before this patch.
class PatchSeries::Recorder final : public ImageSink {
  public:
    Recorder(PatchSeries& series, std::uint32_t patch) : series_(series), patch_(patch) {}

    bool Copy(std::uint64_t offset, std::uint64_t n) override {
        at_ = offset + n;
        return true;
    }
    bool Write(std::span<const std::uint8_t> bytes) override {
        const bool kept = Keep(at_, bytes);
        at_ += bytes.size();
        return kept;
    }
    bool CanOverwrite() const override { return true; }
    bool Overwrite(std::uint64_t offset, std::span<const std::uint8_t> bytes) override {
        return Keep(offset, bytes);
    }

    std::vector<ImageOverlay::Run> runs;
    std::vector<ImageOverlay::Change> changes;

  private:
    bool Keep(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
        // The stretch of `bytes` to keep, [first, end), while it may grow.
        std::size_t first = 0;
        std::size_t end = 0;
        for (std::size_t done = 0; done < bytes.size();) {
            const std::size_t n = std::min(kPiece, bytes.size() - done);
            const std::uint8_t* now = series_.Read(static_cast<std::uint32_t>(offset + done), n);
            if (now == nullptr) {
                return false;
            }
            const std::uint8_t* made = bytes.data() + done;
            for (std::size_t i = 0; i < n;) {
                i = static_cast<std::size_t>(std::mismatch(made + i, made + n, now + i).first -
                                             made);
                std::size_t j = i;
                while (j < n && made[j] != now[j]) {
                    ++j;
                }
                if (i == j) {
                    break;
                }
                Changed(offset + done + i, j - i);
                if (end == first || done + i - end >= kJoin) {
                    KeepBytes(offset, bytes, first, end);
                    first = done + i;
                }
                end = done + j;
                i = j;
            }
            done += n;
        }
        KeepBytes(offset, bytes, first, end);
        return true;
    }

    void Changed(std::uint64_t offset, std::size_t n) {
        if (!changes.empty() &&
            changes.back().offset + std::uint64_t{changes.back().count} == offset) {
            changes.back().count += static_cast<std::uint32_t>(n);
        } else {
            changes.push_back(
                {static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(n), patch_});
        }
    }

    void KeepBytes(std::uint64_t offset, std::span<const std::uint8_t> bytes, std::size_t first,
                   std::size_t end) {
        if (end > first) {
            series_.overlay_.Keep(static_cast<std::uint32_t>(offset + first),
                                  bytes.subspan(first, end - first), runs);
        }
    }

    PatchSeries& series_;
    const std::uint32_t patch_;
    std::uint64_t at_ = 0;
};

const std::uint8_t* PatchSeries::Read(std::uint32_t offset, std::size_t n) {
    const std::uint8_t* bytes = image_.Read(offset, n);
    if (bytes == nullptr || !overlay_.Covers(offset, n)) {
        return bytes;
    }
    buffer_.assign(bytes, bytes + n);
    overlay_.Lay(offset, buffer_);
    return buffer_.data();
}

PatchSeries::Made PatchSeries::Make(PatchChanges& changes, PatchDirection direction,
                                    std::uint32_t patch) {
    PatchFitter fitter(changes, *this, direction);
    Made made{fitter.Fit(), std::nullopt};
    if (!made.fit.patchError.empty() || made.fit.imageFailed) {
        return made;
    }
    if (made.fit.verdict == FitVerdict::DoesNotFit) {
        made.clash = FindClash(changes, direction);
    }
    if (made.fit.verdict != FitVerdict::Fits) {
        return made;
    }
    Recorder recorder(*this, patch);
    switch (fitter.Write(recorder)) {
        case PatchFitter::Written::Done:
            overlay_.Paint(std::move(recorder.runs), std::move(recorder.changes));
            break;
        case PatchFitter::Written::PatchFailed:
            made.fit.patchError = msg::kReadError;
            break;
        case PatchFitter::Written::ImageFailed:
        case PatchFitter::Written::SinkFailed:
            made.fit.imageFailed = true;
            break;
    }
    return made;
}

// The first byte, in patch order, that a change needs (`from` to apply, `to` to revert) and
// finds otherwise, where an earlier patch made it so.
std::optional<PatchSeries::Clash> PatchSeries::FindClash(PatchChanges& changes,
                                                         PatchDirection direction) {
    const bool apply = direction == PatchDirection::Apply;
    std::vector<std::uint8_t> needed;
    std::vector<std::uint8_t> now;
    changes.Rewind();
    for (ChangeHead change; changes.Next(change);) {
        if (!change.hasFrom || change.offset + change.count > size()) {
            continue;  // never a misfit by its bytes
        }
        const std::uint64_t end = change.offset + change.count;
        for (const ImageOverlay::Change& earlier :
             overlay_.ChangesWithin(change.offset, change.count)) {
            const std::uint64_t from = std::max<std::uint64_t>(earlier.offset, change.offset);
            const std::uint64_t to = std::min<std::uint64_t>(earlier.offset + earlier.count, end);
            for (std::uint64_t at = from; at < to;) {
                const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(kPiece, to - at));
                needed.resize(n);
                now.resize(n);
                if (!changes.Bytes(apply, at - change.offset, n, needed.data())) {
                    return std::nullopt;
                }
                // Bytes a patch changed are always among those kept.
                overlay_.Lay(at, now);
                const auto differs = std::mismatch(needed.begin(), needed.end(), now.begin());
                if (differs.first != needed.end()) {
                    return Clash{earlier.patch, static_cast<std::uint32_t>(
                                                    at + static_cast<std::size_t>(differs.first -
                                                                                  needed.begin()))};
                }
                at += n;
            }
        }
    }
    return std::nullopt;
}

}  // namespace quorrel
