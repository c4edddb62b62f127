#include "ConvertDiff.h"

#include <algorithm>

#include "CliTexts.h"
#include "DefaultOutputPath.h"
#include "DiffBlockSource.h"
#include "FileChecks.h"
#include "FileSave.h"
#include "FileSystemName.h"
#include "InputBytes.h"
#include "MakePatchId.h"
#include "Messages.h"
#include "ReportSave.h"
#include "StreamSmpPatch.h"
#include "WriteStream.h"

namespace quorrel {

namespace {

constexpr std::size_t kPendingPatches = 64;
// The DIFF's bytes pass through this buffer on their way to the text; small enough to stay in
// the processor's cache between the read and the encoding.
constexpr std::size_t kDiffBuffer = std::size_t{256} << 10;

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

// The text goes out piece by piece as it is composed; an image that fails meanwhile leaves the
// output file as it was.
ExitStatus WritePatch(const std::string& output, const PatchInfo& info, ByteSource& diff,
                      const std::string& shown, RunContext& run) {
    const std::string id = run.options.id.value_or(MakePatchId());
    if (output == "-") {
        int cause = 0;
        DiffBlockSource blocks(diff);
        const StreamOutcome outcome =
            StreamSmpPatch(info, id, blocks, run.image, [&cause](std::string_view piece) {
                cause = WriteStream(1, piece);
                return cause == 0;
            });
        if (outcome.sinkFailed) {
            run.reporter.FileError(cause, cli::kStdoutName);
            return ExitStatus::NotWritten;
        }
        if (!outcome.error.empty()) {
            run.reporter.Error(outcome.imageFailed ? run.imageShown : shown, outcome.error);
            return ExitStatus::InputRefused;
        }
        return ExitStatus::Written;
    }
    if (run.guard.Covers(output)) {
        run.reporter.Error(output, cli::kOutputIsInput);
        return ExitStatus::NotWritten;
    }
    FileSave save(PathFromName(output));
    DiffBlockSource blocks(diff);
    const StreamOutcome outcome =
        StreamSmpPatch(info, id, blocks, run.image, [&save](std::string_view piece) {
            save.Write(piece);
            return save.result().saved();
        });
    if (!outcome.error.empty()) {
        run.reporter.Error(outcome.imageFailed ? run.imageShown : shown, outcome.error);
        return ExitStatus::InputRefused;
    }
    if (!save.result().saved()) {
        return ReportSave(save.result(), output, run.reporter);
    }
    run.guard.Reserve(output);
    run.pending.emplace_back(std::move(save), output);
    // Bounds the files held open at once.
    return run.pending.size() < kPendingPatches ? ExitStatus::Written : CommitPatches(run);
}

}  // namespace

ExitStatus CommitPatches(RunContext& run) {
    for (auto& [save, output] : run.pending) {
        save.StartFlush();
    }
    for (auto& [save, output] : run.pending) {
        save.Flush();
    }
    ExitStatus status = ExitStatus::Written;
    std::vector<std::filesystem::path> folders;
    for (auto& [save, output] : run.pending) {
        const SaveResult saved = save.Commit(false);
        status = Worse(status, ReportSave(saved, output, run.reporter));
        if (saved.saved() &&
            std::find(folders.begin(), folders.end(), save.folder()) == folders.end()) {
            folders.push_back(save.folder());
        }
    }
    run.pending.clear();
    for (const std::filesystem::path& folder : folders) {
        SyncFolder(folder);
    }
    return status;
}

ExitStatus ConvertDiff(const std::string& diffPath, RunContext& run) {
    const std::string shown = diffPath == "-" ? cli::kStdinName : diffPath;
    InputBytes input(diffPath, kDiffBuffer);
    ByteSource* const diff = input.bytes();
    if (diff == nullptr) {
        run.reporter.Error(shown, msg::kReadError);
        return ExitStatus::InputRefused;
    }
    const DiffCheck check = CheckDiffFile(*diff);
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

    // A DIFF that cannot be walked to its end is refused before anything is written.
    DiffBlockSource walk(*diff);
    if (const std::string_view error = CheckBlocks(walk); !error.empty()) {
        run.reporter.Error(shown, error);
        return ExitStatus::InputRefused;
    }
    return WritePatch(OutputPathFor(diffPath, run.options), info, *diff, shown, run);
}

}  // namespace quorrel
