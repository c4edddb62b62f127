#include "RunPatchSeries.h"

#include <algorithm>
#include <string>
#include <vector>

#include "CliTexts.h"
#include "InputBytes.h"
#include "Messages.h"
#include "OpenedImage.h"
#include "OutputGuard.h"
#include "PatchReport.h"
#include "PatchSeries.h"
#include "RunPatchMode.h"
#include "SmpTextChanges.h"
#include "WritePatchedImage.h"

namespace quorrel {

namespace {

std::string Shown(const std::string& path) {
    return path == "-" ? cli::kStdinName : path;
}

}  // namespace

ExitStatus RunPatchSeries(const CliOptions& options, const Reporter& reporter) {
    const PatchDirection direction =
        options.patchMode == PatchMode::Revert ? PatchDirection::Revert : PatchDirection::Apply;
    const bool check = options.patchMode == PatchMode::Check;
    // In the order they are made: the last given is reverted first.
    std::vector<std::string> patches{options.patch};
    patches.insert(patches.end(), options.laterPatches.begin(), options.laterPatches.end());
    if (direction == PatchDirection::Revert) {
        std::reverse(patches.begin(), patches.end());
    }
    OutputGuard guard;
    for (const std::string& patch : patches) {
        guard.Protect(patch);
    }
    const std::string imageShown = Shown(*options.image);
    OpenedImage image;
    image.Open(*options.image, HoldImageWrittenOver(options));
    if (image.bytes() == nullptr) {
        reporter.Error(imageShown, msg::kReadError);
        return ExitStatus::InputRefused;
    }

    PatchSeries series(*image.bytes());
    ExitStatus status = ExitStatus::Written;
    for (std::uint32_t i = 0; i < patches.size(); ++i) {
        const std::string shown = Shown(patches[i]);
        InputBytes patch(patches[i], kPatchBuffer);
        PatchSeries::Made made;
        if (patch.bytes() == nullptr) {
            made.fit.patchError = msg::kReadError;
        } else {
            SmpTextChanges changes(*patch.bytes());
            made = series.Make(changes, direction, i);
        }
        ExitStatus verdict = ExitStatus::InputRefused;
        if (!made.fit.patchError.empty()) {
            reporter.Error(shown, made.fit.patchError);
        } else if (made.fit.imageFailed) {
            reporter.Error(imageShown, msg::kReadError);
            return ExitStatus::InputRefused;
        } else if (made.clash) {
            const std::string mark(1, Reporter::kPathMark);
            const std::string header =
                Fill(direction == PatchDirection::Apply ? cli::kPatchClashes.view()
                                                        : cli::kRevertClashes.view(),
                     {mark, ShownOffset(made.clash->offset)});
            verdict = ReportFit(made.fit, direction, check, shown, reporter, header,
                                Shown(patches[made.clash->patch]));
        } else {
            verdict = ReportFit(made.fit, direction, check, shown, reporter);
        }
        status = Worse(status, verdict);
        if (status != ExitStatus::Written && !check) {
            return status;
        }
    }
    if (check) {
        return status;
    }
    return WritePatchedImage(
        options, guard, image, Shown(patches.front()), imageShown,
        [&](ImageSink& sink) {
            return series.Write(sink) ? PatchFitter::Written::Done
                                      : PatchFitter::Written::SinkFailed;
        },
        reporter);
}

}  // namespace quorrel
