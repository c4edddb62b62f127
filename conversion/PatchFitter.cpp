#include "PatchFitter.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "Messages.h"

namespace quorrel {

namespace {

// Image and change bytes are compared and written in pieces of at most this size.
constexpr std::size_t kPiece = std::size_t{256} << 10;

constexpr std::uint64_t kDigestStart = 14695981039346656037u;

std::uint64_t Mix(std::uint64_t digest, std::uint64_t value) {
    return (digest ^ value) * 1099511628211u;
}

std::uint64_t Digest(std::uint64_t digest, const ChangeHead& change) {
    return Mix(Mix(Mix(digest, change.offset), change.count), change.hasFrom ? 1 : 0);
}

std::size_t PieceOf(std::uint64_t count, std::uint64_t done) {
    return static_cast<std::size_t>(std::min<std::uint64_t>(kPiece, count - done));
}

}  // namespace

struct PatchFitter::Compared {
    bool differs = false;  // the bytes a fit needs are not there
    bool same = false;     // the bytes the direction writes are there already
    std::string expected;
    std::string found;
};

PatchFitter::PatchFitter(PatchChanges& changes, FirmwareBytes& image, PatchDirection direction)
    : changes_(changes), image_(image), direction_(direction), buffer_(new std::uint8_t[kPiece]) {}

PatchFitter::~PatchFitter() = default;

// One more walk of the changes, each handed to `visit` (false stops it); false when it fails or
// meets other changes than the first walk did (the patch changed meanwhile).
template <typename Visit>
bool PatchFitter::Walk(Visit&& visit) {
    changes_.Rewind();
    std::uint64_t digest = kDigestStart;
    for (ChangeHead change; changes_.Next(change);) {
        digest = Digest(digest, change);
        if (!visit(change)) {
            return false;
        }
    }
    if (!changes_.error().empty() || digest != walked_) {
        fit_.patchError = msg::kReadError;
        return false;
    }
    return true;
}

bool PatchFitter::Bytes(bool from, std::uint64_t skip, std::size_t n, std::uint8_t* out) {
    if (changes_.Bytes(from, skip, n, out)) {
        return true;
    }
    fit_.patchError = msg::kReadError;
    return false;
}

const std::uint8_t* PatchFitter::Image(std::uint64_t offset, std::size_t n) {
    const std::uint8_t* bytes = image_.Read(static_cast<std::uint32_t>(offset), n);
    fit_.imageFailed = fit_.imageFailed || bytes == nullptr;
    return bytes;
}

void PatchFitter::Note(Misfit misfit) {
    if (fit_.misfits.size() < kShownMisfits) {
        fit_.misfits.push_back(std::move(misfit));
    }
    ++fit_.misfitCount;
}

// Ranges next to each other are joined: a change that overlaps them overlaps one of them.
void PatchFitter::AddRange(const ChangeHead& change) {
    if (change.count == 0) {
        return;
    }
    const std::uint64_t end = change.offset + change.count;
    covered_ += change.count;
    sorted_ = sorted_ && change.offset >= lastEnd_;
    lastEnd_ = std::max(lastEnd_, end);
    const auto last = static_cast<std::uint32_t>(end - 1);
    if (!ranges_.empty() && std::uint64_t{ranges_.back().last} + 1 == change.offset) {
        ranges_.back().last = last;
    } else {
        ranges_.push_back({change.offset, last});
    }
}

bool PatchFitter::Overlap() {
    if (sorted_) {
        return false;  // each change began after every earlier one had ended
    }
    std::sort(ranges_.begin(), ranges_.end(), [](const Range& a, const Range& b) {
        return a.first != b.first ? a.first < b.first : a.last < b.last;
    });
    for (std::size_t i = 1; i < ranges_.size(); ++i) {
        if (ranges_[i].first <= ranges_[i - 1].last) {
            return true;
        }
    }
    return false;
}

// Compares the image under `change` with the bytes a fit needs there (`misfitSide`: `from` to
// apply, `to` to revert) and with those the direction writes (`doneSide`), each only as far as
// it matches.
bool PatchFitter::Compare(const ChangeHead& change, bool misfitSide, bool doneSide,
                          Compared& result) {
    const bool apply = direction_ == PatchDirection::Apply;
    result.same = doneSide;
    for (std::uint64_t done = 0; done < change.count && (misfitSide || doneSide);) {
        const std::size_t n = PieceOf(change.count, done);
        const std::uint8_t* image = Image(change.offset + done, n);
        if (image == nullptr) {
            return false;
        }
        if (misfitSide) {
            if (!Bytes(apply, done, n, buffer_.get())) {
                return false;
            }
            if (done == 0) {
                const std::size_t kept = std::min(n, Misfit::kKeptBytes);
                result.expected.assign(reinterpret_cast<const char*>(buffer_.get()), kept);
                result.found.assign(reinterpret_cast<const char*>(image), kept);
            }
            result.differs = std::memcmp(buffer_.get(), image, n) != 0;
            misfitSide = !result.differs;
        }
        if (doneSide) {
            if (!Bytes(!apply, done, n, buffer_.get())) {
                return false;
            }
            result.same = std::memcmp(buffer_.get(), image, n) == 0;
            doneSide = result.same;
        }
        done += n;
    }
    return true;
}

PatchFit PatchFitter::Fit() {
    fit_ = {};
    ranges_.clear();
    sorted_ = true;
    lastEnd_ = 0;
    covered_ = 0;
    held_.reset();
    const bool apply = direction_ == PatchDirection::Apply;
    const std::uint32_t size = image_.size();
    bool allInside = true;
    // Whether the image holds what the direction writes, and whether the changes change nothing
    // at all; both as far as the changes do not overlap.
    bool done = true;
    bool nothing = true;
    bool compared = true;
    walked_ = kDigestStart;
    changes_.Rewind();
    for (ChangeHead change; compared && changes_.Next(change);) {
        walked_ = Digest(walked_, change);
        fit_.someWithoutFrom = fit_.someWithoutFrom || !change.hasFrom;
        const bool inside = change.offset + change.count <= size;
        allInside = allInside && inside;
        AddRange(change);
        if (!apply && !change.hasFrom) {
            Note({Misfit::Reason::NoFrom, change.offset, change.line, {}, {}});
        } else if (!inside) {
            Note({Misfit::Reason::Outside, change.offset, change.line, {}, {}});
        } else {
            Compared c;
            compared = Compare(change, !apply || change.hasFrom, done, c);
            if (c.differs) {
                Note({Misfit::Reason::Differs, change.offset, change.line, std::move(c.expected),
                      std::move(c.found)});
            }
            done = done && c.same;
            // Where the image holds what is written, from == to comes down to a fit as well.
            nothing = nothing && (change.count == 0 || (change.hasFrom && !c.differs));
        }
    }
    if (!changes_.error().empty() || !fit_.patchError.empty()) {
        PatchFit refused;
        refused.patchError = changes_.error().empty() ? fit_.patchError : changes_.error();
        return refused;
    }
    if (fit_.imageFailed) {
        PatchFit failed;
        failed.imageFailed = true;
        return failed;
    }
    fit_.overlaps = Overlap();
    runs_ = ranges_.size();
    ranges_ = {};
    if (fit_.overlaps) {
        if (!FitExactly(allInside)) {
            PatchFit failed;
            failed.patchError = fit_.patchError;
            failed.imageFailed = fit_.patchError.empty();
            return failed;
        }
    } else {
        const bool complete = allInside && (apply || !fit_.someWithoutFrom);
        fit_.verdict = complete && done && !nothing ? FitVerdict::AlreadyDone
                       : fit_.misfitCount == 0      ? FitVerdict::Fits
                                                    : FitVerdict::DoesNotFit;
    }
    if (fit_.verdict != FitVerdict::Fits) {
        held_.reset();
    }
    return fit_;
}

bool PatchFitter::HoldImage() {
    const std::uint32_t size = image_.size();
    held_.reset(new (std::nothrow) std::uint8_t[size == 0 ? 1 : size]);
    if (held_ == nullptr) {
        fit_.imageFailed = true;
        return false;
    }
    for (std::uint64_t done = 0; done < size;) {
        const std::size_t n = PieceOf(size, done);
        const std::uint8_t* bytes = Image(done, n);
        if (bytes == nullptr) {
            return false;
        }
        std::memcpy(held_.get() + done, bytes, n);
        done += n;
    }
    return true;
}

// Writes every change's `from` or `to` into the held image, in patch order.
bool PatchFitter::Place(bool from) {
    const std::uint32_t size = image_.size();
    return Walk([&](const ChangeHead& change) {
        return change.offset + change.count > size ||
               Bytes(from, 0, static_cast<std::size_t>(change.count), held_.get() + change.offset);
    });
}

// Whether the held image equals the image under every change; nowhere else do they differ.
bool PatchFitter::SameAsImage(bool& same) {
    const std::uint32_t size = image_.size();
    same = true;
    return Walk([&](const ChangeHead& change) {
        for (std::uint64_t done = 0;
             same && change.offset + change.count <= size && done < change.count;) {
            const std::size_t n = PieceOf(change.count, done);
            const std::uint8_t* image = Image(change.offset + done, n);
            if (image == nullptr) {
                return false;
            }
            same = std::memcmp(image, held_.get() + change.offset + done, n) == 0;
            done += n;
        }
        return true;
    });
}

// Reverting compares with what applying leaves, which overlaps make differ from `to`.
bool PatchFitter::Misfits() {
    const std::uint32_t size = image_.size();
    fit_.misfits.clear();
    fit_.misfitCount = 0;
    return Walk([&](const ChangeHead& change) {
        if (!change.hasFrom) {
            Note({Misfit::Reason::NoFrom, change.offset, change.line, {}, {}});
            return true;
        }
        if (change.offset + change.count > size) {
            Note({Misfit::Reason::Outside, change.offset, change.line, {}, {}});
            return true;
        }
        const std::uint8_t* applied = held_.get() + change.offset;
        for (std::uint64_t done = 0; done < change.count;) {
            const std::size_t n = PieceOf(change.count, done);
            const std::uint8_t* image = Image(change.offset + done, n);
            if (image == nullptr) {
                return false;
            }
            if (std::memcmp(image, applied + done, n) != 0) {
                const auto kept = static_cast<std::size_t>(
                    std::min<std::uint64_t>(change.count, Misfit::kKeptBytes));
                const std::uint8_t* found = Image(change.offset, kept);
                if (found == nullptr) {
                    return false;
                }
                Note({Misfit::Reason::Differs, change.offset, change.line,
                      std::string(reinterpret_cast<const char*>(applied), kept),
                      std::string(reinterpret_cast<const char*>(found), kept)});
                break;
            }
            done += n;
        }
        return true;
    });
}

// The `from` bytes written back in reverse patch order: the earliest change covering a byte
// wins it, so a forward walk writes only the bytes no earlier change wrote.
bool PatchFitter::Revert() {
    const std::uint32_t size = image_.size();
    std::vector<bool> written(size);
    return Walk([&](const ChangeHead& change) {
        for (std::uint64_t done = 0; done < change.count;) {
            const std::size_t n = PieceOf(change.count, done);
            if (!Bytes(true, done, n, buffer_.get())) {
                return false;
            }
            for (std::size_t i = 0; i < n; ++i) {
                const std::uint64_t at = change.offset + done + i;
                if (!written[at]) {
                    written[at] = true;
                    held_[at] = buffer_[i];
                }
            }
            done += n;
        }
        return true;
    });
}

// With overlapping changes the image is held whole, and what applying leaves is made in it.
bool PatchFitter::FitExactly(bool allInside) {
    const std::uint32_t size = image_.size();
    bool nothing = true;
    const bool placed = HoldImage() && Walk([&](const ChangeHead& change) {
                            if (change.offset + change.count > size) {
                                return true;
                            }
                            std::uint8_t* to = held_.get() + change.offset;
                            for (std::uint64_t done = 0; done < change.count;) {
                                const std::size_t n = PieceOf(change.count, done);
                                if (!Bytes(false, done, n, to + done) ||
                                    (change.hasFrom && !Bytes(true, done, n, buffer_.get()))) {
                                    return false;
                                }
                                nothing = nothing && change.hasFrom &&
                                          std::memcmp(buffer_.get(), to + done, n) == 0;
                                done += n;
                            }
                            return true;
                        });
    if (!placed) {
        return false;
    }
    bool same = false;
    if (direction_ == PatchDirection::Apply) {
        if (!SameAsImage(same)) {
            return false;
        }
        same = same && allInside;
    } else {
        if (!Misfits()) {
            return false;
        }
        // Only a complete revert is ever written or found done.
        if (allInside && !fit_.someWithoutFrom && (!Revert() || !SameAsImage(same))) {
            return false;
        }
        same = same && allInside && !fit_.someWithoutFrom;
    }
    fit_.verdict = same && !nothing        ? FitVerdict::AlreadyDone
                   : fit_.misfitCount == 0 ? FitVerdict::Fits
                                           : FitVerdict::DoesNotFit;
    return true;
}

bool PatchFitter::WriteHeld(ImageSink& sink) {
    return sink.Write({held_.get(), image_.size()});
}

// The image copied whole, then each change written over it in patch order.
PatchFitter::Written PatchFitter::Overwrite(ImageSink& sink, bool from) {
    if (!sink.Copy(0, image_.size())) {
        return Written::SinkFailed;
    }
    bool sinkFailed = false;
    const bool walked = Walk([&](const ChangeHead& change) {
        for (std::uint64_t done = 0; done < change.count;) {
            const std::size_t n = PieceOf(change.count, done);
            if (!Bytes(from, done, n, buffer_.get())) {
                return false;
            }
            if (!sink.Overwrite(change.offset + done, {buffer_.get(), n})) {
                sinkFailed = true;
                return false;
            }
            done += n;
        }
        return true;
    });
    return sinkFailed ? Written::SinkFailed : walked ? Written::Done : Written::PatchFailed;
}

// In patch order the changes lie front to back: the image is copied up to each, and each
// written after it.
PatchFitter::Written PatchFitter::Merge(ImageSink& sink, bool from) {
    std::uint64_t at = 0;
    bool sinkFailed = false;
    const bool walked = Walk([&](const ChangeHead& change) {
        if (change.count == 0) {
            return true;
        }
        if (!sink.Copy(at, change.offset - at)) {
            sinkFailed = true;
            return false;
        }
        for (std::uint64_t done = 0; done < change.count;) {
            const std::size_t n = PieceOf(change.count, done);
            if (!Bytes(from, done, n, buffer_.get())) {
                return false;
            }
            if (!sink.Write({buffer_.get(), n})) {
                sinkFailed = true;
                return false;
            }
            done += n;
        }
        at = change.offset + change.count;
        return true;
    });
    if (sinkFailed || (walked && !sink.Copy(at, image_.size() - at))) {
        return Written::SinkFailed;
    }
    return walked ? Written::Done : Written::PatchFailed;
}

PatchFitter::Written PatchFitter::Write(ImageSink& sink) {
    const bool from = direction_ == PatchDirection::Revert;
    if (held_ != nullptr) {
        return WriteHeld(sink) ? Written::Done : Written::SinkFailed;
    }
    if (sink.CanOverwrite() && (!sorted_ || covered_ < runs_ * kOverwriteBelow)) {
        return Overwrite(sink, from);
    }
    if (sorted_) {
        return Merge(sink, from);
    }
    if (!HoldImage() || !Place(from)) {
        return fit_.imageFailed ? Written::ImageFailed : Written::PatchFailed;
    }
    return WriteHeld(sink) ? Written::Done : Written::SinkFailed;
}

}  // namespace quorrel
