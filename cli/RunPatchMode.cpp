#include "RunPatchMode.h"

#include <optional>
#include <string>

#include "CliTexts.h"
#include "InputBytes.h"
#include "Messages.h"
#include "OpenedImage.h"
#include "OutputGuard.h"
#include "PatchFitter.h"
#include "PatchReport.h"
#include "RunPatchSeries.h"
#include "SmpTextChanges.h"
#include "WritePatchedImage.h"

namespace quorrel {

namespace {

// The patch's own refusal, found by reading it to its end; empty when it reads.
std::string PatchRefusal(PatchChanges& changes) {
    changes.Rewind();
    for (ChangeHead change; changes.Next(change);) {
    }
    return std::string(changes.error());
}

}  // namespace

ExitStatus RunPatchMode(const CliOptions& options, const Reporter& reporter) {
    if (!options.laterPatches.empty()) {
        return RunPatchSeries(options, reporter);
    }
    const std::string patchShown = options.patch == "-" ? cli::kStdinName : options.patch;
    const std::string imageShown = *options.image == "-" ? cli::kStdinName : *options.image;
    InputBytes patch(options.patch, kPatchBuffer);
    if (patch.bytes() == nullptr) {
        reporter.Error(patchShown, msg::kReadError);
        return ExitStatus::InputRefused;
    }
    SmpTextChanges changes(*patch.bytes());
    OpenedImage image;
    image.Open(*options.image, HoldImageWrittenOver(options));
    const PatchDirection direction =
        options.patchMode == PatchMode::Revert ? PatchDirection::Revert : PatchDirection::Apply;
    std::optional<PatchFitter> fitter;
    PatchFit fit;
    if (image.bytes() != nullptr) {
        fitter.emplace(changes, *image.bytes(), direction);
        fit = fitter->Fit();
    }
    // A patch that cannot be read is named before an image that cannot, whichever failed first.
    if (fit.patchError.empty() && (image.bytes() == nullptr || fit.imageFailed)) {
        fit.patchError = PatchRefusal(changes);
        if (fit.patchError.empty()) {
            reporter.Error(imageShown, msg::kReadError);
            return ExitStatus::InputRefused;
        }
    }
    if (!fit.patchError.empty()) {
        reporter.Error(patchShown, fit.patchError);
        return ExitStatus::InputRefused;
    }
    const bool check = options.patchMode == PatchMode::Check;
    const ExitStatus verdict = ReportFit(fit, direction, check, patchShown, reporter);
    if (verdict != ExitStatus::Written || check) {
        return verdict;
    }
    OutputGuard patches;
    patches.Protect(options.patch);
    return WritePatchedImage(
        options, patches, image, patchShown, imageShown,
        [&](ImageSink& sink) { return fitter->Write(sink); }, reporter);
}

}  // namespace quorrel
