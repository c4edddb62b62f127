#include "PatchSeries.h"

#include <algorithm>
#include <cstring>

#include "Messages.h"
#include "PatchFitter.h"

namespace quorrel {

namespace {

// Bytes are compared in pieces of at most this size.
constexpr std::size_t kPiece = std::size_t{256} << 10;

}  // namespace

// Takes what a PatchFitter writes and keeps the bytes that differ from the image as it was
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

  private:
    bool Keep(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
        for (std::size_t done = 0; done < bytes.size();) {
            const std::size_t n = std::min(kPiece, bytes.size() - done);
            const auto at = static_cast<std::uint32_t>(offset + done);
            const std::uint8_t* now = series_.Read(at, n);
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
                series_.overlay_.Keep(at + static_cast<std::uint32_t>(i), {made + i, j - i}, patch_,
                                      runs);
                i = j;
            }
            done += n;
        }
        return true;
    }

    PatchSeries& series_;
    const std::uint32_t patch_;
    std::uint64_t at_ = 0;
};

const std::uint8_t* PatchSeries::Read(std::uint32_t offset, std::size_t n) {
    const std::uint8_t* bytes = image_.Read(offset, n);
    if (bytes == nullptr || overlay_.Within(offset, n).empty()) {
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
            overlay_.Paint(std::move(recorder.runs));
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
    changes.Rewind();
    for (ChangeHead change; changes.Next(change);) {
        if (!change.hasFrom || change.offset + change.count > size()) {
            continue;  // never a misfit by its bytes
        }
        const std::uint64_t end = change.offset + change.count;
        for (const ImageOverlay::Run& run : overlay_.Within(change.offset, change.count)) {
            const std::uint64_t from = std::max<std::uint64_t>(run.offset, change.offset);
            const std::uint64_t to = std::min<std::uint64_t>(run.offset + run.count, end);
            for (std::uint64_t at = from; at < to;) {
                const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(kPiece, to - at));
                needed.resize(n);
                if (!changes.Bytes(apply, at - change.offset, n, needed.data())) {
                    return std::nullopt;
                }
                const std::uint8_t* now = overlay_.BytesOf(run) + (at - run.offset);
                const std::uint8_t* differs =
                    std::mismatch(needed.data(), needed.data() + n, now).first;
                if (differs != needed.data() + n) {
                    return Clash{run.patch,
                                 static_cast<std::uint32_t>(
                                     at + static_cast<std::size_t>(differs - needed.data()))};
                }
                at += n;
            }
        }
    }
    return std::nullopt;
}

}  // namespace quorrel
