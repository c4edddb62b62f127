#include "RunPatchMode.h"

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "CliTexts.h"
#include "FileSave.h"
#include "FileSystemName.h"
#include "ImageOutput.h"
#include "InputBytes.h"
#include "Messages.h"
#include "OpenedImage.h"
#include "OutputGuard.h"
#include "PatchFitter.h"
#include "ReportSave.h"
#include "SmpTextChanges.h"

namespace quorrel {

namespace {

// More would only bury the offset; the line number leads to the rest.
constexpr std::size_t kShownBytes = 16;
// The patch text passes through this buffer, which also holds each change while it is compared.
constexpr std::size_t kPatchBuffer = std::size_t{1} << 20;

#ifdef _WIN32
// Windows lets nobody write a file this process holds open for reading, this process included:
// an image that is also the output is read whole, and let go, before the save opens it.
constexpr bool kHoldImageWrittenOver = true;
#else
constexpr bool kHoldImageWrittenOver = false;
#endif

bool WritesOverImage(const CliOptions& options) {
    if (!kHoldImageWrittenOver || options.patchMode == PatchMode::Check || !options.output ||
        *options.output == "-") {
        return false;
    }
    OutputGuard image;
    image.Protect(*options.image);
    return image.Covers(*options.output);
}

// `text` with each "%s" replaced by the next of `values`.
std::string Fill(std::string_view text, std::initializer_list<std::string_view> values) {
    std::string out(text);
    std::size_t from = 0;
    for (const std::string_view value : values) {
        const std::size_t at = out.find("%s", from);
        out.replace(at, 2, value);
        from = at + value.size();
    }
    return out;
}

std::string Hex(std::string_view bytes) {
    constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < bytes.size() && i < kShownBytes; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out += kDigits[b >> 4];
        out += kDigits[b & 0xFu];
    }
    if (bytes.size() > kShownBytes) {
        out += "...";
    }
    return out.empty() ? "-" : out;
}

std::string Offset(std::uint32_t offset) {
    std::string digits;
    for (int shift = 28; shift >= 0; shift -= 4) {
        digits += "0123456789abcdef"[(offset >> shift) & 0xFu];
    }
    return digits.substr(std::min(digits.find_first_not_of('0'), std::size_t{2}));
}

std::string MisfitReport(const PatchFit& fit, PatchDirection direction) {
    std::string text(direction == PatchDirection::Apply ? cli::kPatchDoesNotFit.view()
                                                        : cli::kPatchCannotRevert.view());
    for (const Misfit& misfit : fit.misfits) {
        text += '\n';
        text += Fill(cli::kMisfitLine, {std::to_string(misfit.line), Offset(misfit.offset)});
        switch (misfit.reason) {
            case Misfit::Reason::Differs:
                text += Fill(cli::kMisfitDiffers, {Hex(misfit.expected), Hex(misfit.found)});
                break;
            case Misfit::Reason::Outside:
                text += cli::kMisfitOutside;
                break;
            case Misfit::Reason::NoFrom:
                text += cli::kMisfitNoFrom;
                break;
        }
    }
    if (fit.misfitCount > fit.misfits.size()) {
        text += '\n';
        text += Fill(cli::kMoreMisfits, {std::to_string(fit.misfitCount - fit.misfits.size())});
    }
    return text;
}

// The patch's own refusal, found by reading it to its end; empty when it reads.
std::string PatchRefusal(PatchChanges& changes) {
    changes.Rewind();
    for (ChangeHead change; changes.Next(change);) {
    }
    return std::string(changes.error());
}

struct Names {
    std::string patch;
    std::string image;
};

// Nothing reaches the output before the verdict is known; a save that fails midway leaves the
// file as it was.
ExitStatus WriteImage(const CliOptions& options, PatchFitter& fitter, const OpenedImage& image,
                      const Names& shown, const Reporter& reporter) {
    const std::string& output = *options.output;
    std::optional<FileSave> save;
    if (output != "-") {
        // The image may be replaced in place; the patch may not, it is the record of the change.
        OutputGuard guard;
        guard.Protect(options.patch);
        if (guard.Covers(output)) {
            reporter.Error(output, cli::kOutputIsPatch);
            return ExitStatus::NotWritten;
        }
        save.emplace(PathFromName(output));
    }
    ImageOutput sink(save ? &*save : nullptr, image.file(), image.held());
    switch (fitter.Write(sink)) {
        case PatchFitter::Written::Done:
            return save ? ReportSave(save->Commit(), output, reporter) : ExitStatus::Written;
        case PatchFitter::Written::PatchFailed:
            reporter.Error(shown.patch, msg::kReadError);
            return ExitStatus::InputRefused;
        case PatchFitter::Written::ImageFailed:
            break;
        case PatchFitter::Written::SinkFailed:
            if (sink.imageFailed()) {
                break;
            }
            if (!save) {
                reporter.FileError(sink.streamCause(), cli::kStdoutName);
                return ExitStatus::NotWritten;
            }
            return ReportSave(save->result(), output, reporter);
    }
    reporter.Error(shown.image, msg::kReadError);
    return ExitStatus::InputRefused;
}

}  // namespace

ExitStatus RunPatchMode(const CliOptions& options, const Reporter& reporter) {
    const Names shown{options.patch == "-" ? cli::kStdinName : options.patch,
                      *options.image == "-" ? cli::kStdinName : *options.image};
    InputBytes patch(options.patch, kPatchBuffer);
    if (patch.bytes() == nullptr) {
        reporter.Error(shown.patch, msg::kReadError);
        return ExitStatus::InputRefused;
    }
    SmpTextChanges changes(*patch.bytes());
    OpenedImage image;
    image.Open(*options.image, WritesOverImage(options));
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
            reporter.Error(shown.image, msg::kReadError);
            return ExitStatus::InputRefused;
        }
    }
    if (!fit.patchError.empty()) {
        reporter.Error(shown.patch, fit.patchError);
        return ExitStatus::InputRefused;
    }

    if (fit.overlaps) {
        reporter.Warning(shown.patch, cli::kOverlaps);
    }
    if (fit.someWithoutFrom && direction == PatchDirection::Apply) {
        reporter.Warning(shown.patch, cli::kNoFromChecked);
    }
    switch (fit.verdict) {
        case FitVerdict::AlreadyDone:
            reporter.Error(shown.patch, direction == PatchDirection::Apply
                                            ? cli::kPatchApplied.view()
                                            : cli::kPatchReverted.view());
            return ExitStatus::InputRefused;
        case FitVerdict::DoesNotFit:
            reporter.Error(shown.patch, MisfitReport(fit, direction));
            return ExitStatus::InputRefused;
        case FitVerdict::Fits:
            break;
    }
    if (options.patchMode == PatchMode::Check) {
        reporter.Error(shown.patch, cli::kPatchFits);
        return ExitStatus::Written;
    }
    return WriteImage(options, *fitter, image, shown, reporter);
}

}  // namespace quorrel
