#include "ConvertDiff.h"

#include "CliTexts.h"
#include "ComposeSmpPatch.h"
#include "DefaultOutputPath.h"
#include "FileChecks.h"
#include "FileSave.h"
#include "FileSystemName.h"
#include "Messages.h"
#include "ReadInput.h"
#include "WriteStream.h"

namespace quorrel {

namespace {

std::string OutputPathFor(const std::string& diffPath, const CliOptions& options) {
    if (options.output) {
        return *options.output;
    }
    // Standard input has no name to derive one from, so its patch goes to standard output.
    return diffPath == "-" ? "-" : DefaultOutputPath(diffPath);
}

void WarnNoImageOnce(RunContext& run) {
    if (run.imageAccepted || run.noImageWarned) {
        return;
    }
    run.noImageWarned = true;
    std::string text(msg::kNoImageLine1);
    text += "\r\n";
    text += msg::kNoImageLine2;
    run.reporter.Warning({}, text);
}

PatchInfo MakeInfo(const RunContext& run, const std::string& firmware) {
    PatchInfo info;
    info.formatVersion = run.settings.formatVersion;
    info.title = run.options.title;
    info.group = run.options.group;
    info.version = run.options.revision;
    info.description = run.options.description;
    info.author = run.settings.author;
    info.firmware = firmware;
    return info;
}

ExitStatus WritePatch(const std::string& output, const std::string& text, RunContext& run) {
    if (output == "-") {
        if (const int cause = WriteStream(1, text); cause != 0) {
            run.reporter.FileError(cause, cli::kStdoutName);
            return ExitStatus::NotWritten;
        }
        return ExitStatus::Written;
    }
    if (run.guard.Covers(output)) {
        run.reporter.Error(output, cli::kOutputIsInput);
        return ExitStatus::NotWritten;
    }
    const SaveResult saved = SaveFile(PathFromName(output), text);
    switch (saved.outcome) {
        case SaveOutcome::Saved:
            run.guard.Protect(output);
            return ExitStatus::Written;
        case SaveOutcome::CannotOpen:
            run.reporter.Error(output, msg::kCannotOpenOutput);
            return ExitStatus::NotWritten;
        case SaveOutcome::WriteFailed:
            run.reporter.FileError(saved.cause, output);
            return ExitStatus::NotWritten;
    }
    return ExitStatus::NotWritten;
}

}  // namespace

ExitStatus ConvertDiff(const std::string& diffPath, RunContext& run) {
    const std::string shown = diffPath == "-" ? cli::kStdinName : diffPath;
    const LoadedFile diff = ReadInput(diffPath);
    const DiffCheck check = CheckDiffFile(diff);
    if (!check.accepted) {
        run.reporter.Error(shown, check.message);
        return ExitStatus::InputRefused;
    }

    WarnNoImageOnce(run);
    const PatchInfo info = MakeInfo(run, run.options.firmware.value_or(check.firmwareName));
    if (info.firmware.empty()) {
        run.reporter.Error(shown, msg::kNoFirmware);
        return ExitStatus::FieldRefused;
    }

    const LoadedFile* image = run.image.failed() ? nullptr : &run.image;
    const ComposedPatch patch = run.options.id
                                    ? ComposeSmpPatchWithId(info, *run.options.id, diff, image)
                                    : ComposeSmpPatch(info, diff, image);
    if (!patch.error.empty()) {
        run.reporter.Error(shown, patch.error);
        return ExitStatus::InputRefused;
    }
    return WritePatch(OutputPathFor(diffPath, run.options), patch.text, run);
}

}  // namespace quorrel
