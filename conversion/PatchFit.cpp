#include "PatchFit.h"

#include <algorithm>
#include <utility>

namespace quorrel {

namespace {

bool Inside(const SmpChange& change, std::string_view image) {
    return change.offset + static_cast<std::uint64_t>(change.to.size()) <= image.size();
}

std::string_view At(std::string_view image, const SmpChange& change) {
    return image.substr(change.offset, change.to.size());
}

bool Overlap(const SmpChanges& changes) {
    std::vector<std::pair<std::uint64_t, std::uint64_t>> ranges;
    ranges.reserve(changes.size());
    for (const SmpChange& change : changes) {
        if (!change.to.empty()) {
            ranges.emplace_back(change.offset, change.offset + change.to.size());
        }
    }
    std::sort(ranges.begin(), ranges.end());
    for (std::size_t i = 1; i < ranges.size(); ++i) {
        if (ranges[i].first < ranges[i - 1].second) {
            return true;
        }
    }
    return false;
}

// Whether making the changes would leave every byte as it is, so the image cannot tell
// whether they were made.
bool ChangesNothing(const SmpChanges& changes) {
    return std::all_of(changes.begin(), changes.end(), [](const SmpChange& change) {
        return change.to.empty() || change.from == change.to;
    });
}

void Note(PatchFit& fit, Misfit misfit) {
    if (fit.misfits.size() < kShownMisfits) {
        fit.misfits.push_back(std::move(misfit));
    }
    ++fit.misfitCount;
}

}  // namespace

PatchFit FitPatch(const SmpChanges& changes, std::string_view image, PatchDirection direction) {
    PatchFit fit;
    fit.overlaps = Overlap(changes);
    bool allInside = true;
    for (const SmpChange& change : changes) {
        fit.someWithoutFrom = fit.someWithoutFrom || !change.from;
        allInside = allInside && Inside(change, image);
    }

    // What applying leaves: later changes win where they overlap earlier ones.
    std::string applied(image);
    for (const SmpChange& change : changes) {
        if (Inside(change, image)) {
            applied.replace(change.offset, change.to.size(), change.to);
        }
    }

    for (const SmpChange& change : changes) {
        if (direction == PatchDirection::Revert && !change.from) {
            Note(fit, {Misfit::Reason::NoFrom, change.offset, change.line, {}, {}});
        } else if (!Inside(change, image)) {
            Note(fit, {Misfit::Reason::Outside, change.offset, change.line, {}, {}});
        } else {
            // Quorrel takes every change's old bytes from the unpatched image, so applying
            // compares them with the image as read, and reverting with what applying leaves.
            const std::string_view expected =
                direction == PatchDirection::Apply && change.from ? std::string_view(*change.from)
                : direction == PatchDirection::Revert             ? At(applied, change)
                                                                  : At(image, change);
            if (At(image, change) != expected) {
                Note(fit, {Misfit::Reason::Differs, change.offset, change.line,
                           std::string(expected), std::string(At(image, change))});
            }
        }
    }

    if (direction == PatchDirection::Apply) {
        fit.image = std::move(applied);
    } else {
        fit.image.assign(image);
        for (auto change = changes.rbegin(); change != changes.rend(); ++change) {
            if (change->from && Inside(*change, image)) {
                fit.image.replace(change->offset, change->from->size(), *change->from);
            }
        }
    }
    const bool complete = allInside && (direction == PatchDirection::Apply || !fit.someWithoutFrom);
    if (complete && fit.image == image && !ChangesNothing(changes)) {
        fit.verdict = FitVerdict::AlreadyDone;
    } else if (fit.misfitCount == 0) {
        fit.verdict = FitVerdict::Fits;
        return fit;
    } else {
        fit.verdict = FitVerdict::DoesNotFit;
    }
    fit.image.clear();
    fit.image.shrink_to_fit();
    return fit;
}

}  // namespace quorrel
