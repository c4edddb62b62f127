#include "RunPatchMode.h"

#include <initializer_list>
#include <string>
#include <string_view>

#include "CliTexts.h"
#include "FileSave.h"
#include "FileSystemName.h"
#include "Messages.h"
#include "OutputGuard.h"
#include "PatchFit.h"
#include "ReadInput.h"
#include "ReadSmpPatch.h"
#include "WriteStream.h"

namespace quorrel {

namespace {

// More would only bury the offset; the line number leads to the rest.
constexpr std::size_t kShownBytes = 16;

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

ExitStatus WriteImage(const CliOptions& options, std::string_view bytes, const Reporter& reporter) {
    const std::string& output = *options.output;
    if (output == "-") {
        if (const int cause = WriteStream(1, bytes); cause != 0) {
            reporter.FileError(cause, cli::kStdoutName);
            return ExitStatus::NotWritten;
        }
        return ExitStatus::Written;
    }
    // The image may be replaced in place; the patch may not, it is the record of the change.
    OutputGuard guard;
    guard.Protect(options.patch);
    if (guard.Covers(output)) {
        reporter.Error(output, cli::kOutputIsPatch);
        return ExitStatus::NotWritten;
    }
    const SaveResult saved = SaveFile(PathFromName(output), bytes);
    switch (saved.outcome) {
        case SaveOutcome::Saved:
            return ExitStatus::Written;
        case SaveOutcome::CannotOpen:
            reporter.Error(output, msg::kCannotOpenOutput);
            return ExitStatus::NotWritten;
        case SaveOutcome::WriteFailed:
            reporter.FileError(saved.cause, output);
            return ExitStatus::NotWritten;
    }
    return ExitStatus::NotWritten;
}

}  // namespace

ExitStatus RunPatchMode(const CliOptions& options, const Reporter& reporter) {
    const std::string patchShown = options.patch == "-" ? cli::kStdinName : options.patch;
    const std::string imageShown = *options.image == "-" ? cli::kStdinName : *options.image;

    SmpReadResult patch;
    {
        const LoadedFile file = ReadInput(options.patch);
        if (file.failed()) {
            reporter.Error(patchShown, msg::kReadError);
            return ExitStatus::InputRefused;
        }
        patch = ReadSmpPatch(file.view());
    }
    if (!patch.error.empty()) {
        reporter.Error(patchShown, patch.error);
        return ExitStatus::InputRefused;
    }
    PatchFit fit;
    const PatchDirection direction =
        options.patchMode == PatchMode::Revert ? PatchDirection::Revert : PatchDirection::Apply;
    {
        const LoadedFile image = ReadInput(*options.image);
        if (image.failed()) {
            reporter.Error(imageShown, msg::kReadError);
            return ExitStatus::InputRefused;
        }
        fit = FitPatch(patch.changes, image.view(), direction);
    }
    patch.changes.clear();

    if (fit.overlaps) {
        reporter.Warning(patchShown, cli::kOverlaps);
    }
    if (fit.someWithoutFrom && direction == PatchDirection::Apply) {
        reporter.Warning(patchShown, cli::kNoFromChecked);
    }
    switch (fit.verdict) {
        case FitVerdict::AlreadyDone:
            reporter.Error(patchShown, direction == PatchDirection::Apply
                                           ? cli::kPatchApplied.view()
                                           : cli::kPatchReverted.view());
            return ExitStatus::InputRefused;
        case FitVerdict::DoesNotFit:
            reporter.Error(patchShown, MisfitReport(fit, direction));
            return ExitStatus::InputRefused;
        case FitVerdict::Fits:
            break;
    }
    if (options.patchMode == PatchMode::Check) {
        reporter.Error(patchShown, cli::kPatchFits);
        return ExitStatus::Written;
    }
    return WriteImage(options, fit.image, reporter);
}

}  // namespace quorrel
