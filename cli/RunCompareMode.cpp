#include "RunCompareMode.h"

#include <optional>
#include <string>

#include "CliTexts.h"
#include "DefaultOutputPath.h"
#include "DiffWriter.h"
#include "FileChecks.h"
#include "FileSystemName.h"
#include "ImageComparison.h"
#include "MakePatchId.h"
#include "Messages.h"
#include "OutputGuard.h"
#include "ReadInput.h"
#include "ReportSave.h"
#include "SettingsFile.h"
#include "StreamSmpPatch.h"
#include "WriteStream.h"

namespace quorrel {

namespace {

// One of the two images: a file, read in pieces, or standard input, held whole.
class ComparedImage {
  public:
    // False when it cannot be read, or is 4 GiB or larger.
    bool Open(const std::string& path) {
        shown_ = path == "-" ? cli::kStdinName : path;
        if (path == "-") {
            whole_ = ReadInput(path);
            return !whole_.failed();
        }
        file_.emplace(PathFromName(path));
        return file_->open() && file_->size() < LoadedFile::kFailedRead;
    }

    const std::string& shown() const { return shown_; }
    ImageComparison::Image image() const {
        return file_ ? ImageComparison::Image{&*file_, nullptr}
                     : ImageComparison::Image{nullptr, &whole_};
    }

  private:
    std::string shown_;
    std::optional<InputFile> file_;
    LoadedFile whole_;
};

PatchInfo MakeInfo(const CliOptions& options) {
    const SettingsFile settingsFile =
        options.settings ? SettingsFile(*options.settings) : SettingsFile::ForExecutable();
    const AuthorSettings settings = settingsFile.LoadAuthorSettings();
    PatchInfo info;
    info.formatVersion = settings.formatVersion;
    info.title = options.title;
    info.group = options.group;
    info.version = options.revision;
    info.description = options.description;
    info.author = settings.author;
    info.firmware = *options.firmware;
    return info;
}

std::string OutputPath(const CliOptions& options) {
    if (options.output) {
        return *options.output;
    }
    // Standard input has no name to derive one from.
    if (options.newImage == "-") {
        return "-";
    }
    return DefaultOutputPath(options.newImage,
                             options.compareMode == CompareMode::MakeDiff ? ".dif" : ".smp");
}

std::string Fill(std::string_view text, std::uint64_t first, std::uint64_t second) {
    std::string out(text);
    out.replace(out.find("%s"), 2, std::to_string(first));
    out.replace(out.find("%s"), 2, std::to_string(second));
    return out;
}

}  // namespace

ExitStatus RunCompareMode(const CliOptions& options, const Reporter& reporter) {
    ComparedImage newer;
    ComparedImage older;
    if (!newer.Open(options.newImage)) {
        reporter.Error(newer.shown(), msg::kReadError);
        return ExitStatus::InputRefused;
    }
    if (!older.Open(*options.image)) {
        reporter.Error(older.shown(), msg::kReadError);
        return ExitStatus::InputRefused;
    }
    const std::uint64_t size = newer.image().size();
    if (size != older.image().size()) {
        reporter.Error(newer.shown(), Fill(cli::kImageSizesDiffer, size, older.image().size()));
        return ExitStatus::InputRefused;
    }
    for (const ComparedImage* image : {&newer, &older}) {
        if (const ImageCheck check = CheckFirmwareImage(static_cast<std::uint32_t>(size));
            !check.accepted) {
            reporter.Warning(image->shown(), check.message);
        }
    }

    const std::string output = OutputPath(options);
    OutputGuard guard;
    guard.Protect(options.newImage);
    guard.Protect(*options.image);
    if (output != "-" && guard.Covers(output)) {
        reporter.Error(output, cli::kOutputIsInput);
        return ExitStatus::NotWritten;
    }

    ImageComparison comparison(older.image(), newer.image());
    const auto failedImage = [&]() -> const std::string& {
        return comparison.oldImageFailed() ? older.shown() : newer.shown();
    };
    // Nothing is written, not even to standard output, until a change is found.
    if (!comparison.AnyChange()) {
        if (!comparison.error().empty()) {
            reporter.Error(failedImage(), comparison.error());
        } else {
            reporter.Error(newer.shown(), cli::kNothingToCompare);
        }
        return ExitStatus::InputRefused;
    }
    std::optional<PatchInfo> info;
    std::string id;
    if (options.compareMode == CompareMode::Compare) {
        info = MakeInfo(options);
        id = options.id.value_or(MakePatchId());
    }
    const auto write = [&](const TextSink& sink) {
        if (!info) {
            return WriteDiff(*options.firmware, comparison, sink);
        }
        // Old bytes to the image's very end, so that the patch always reverts.
        return StreamSmpPatch(*info, id, comparison, &comparison.oldImage(), sink,
                              kDefaultTextChunk, OldBytesReach::ToTheEnd);
    };

    if (output == "-") {
        int cause = 0;
        const StreamOutcome outcome = write([&cause](std::string_view piece) {
            cause = WriteStream(1, piece);
            return cause == 0;
        });
        if (outcome.sinkFailed) {
            reporter.FileError(cause, cli::kStdoutName);
            return ExitStatus::NotWritten;
        }
        if (!outcome.error.empty()) {
            reporter.Error(failedImage(), outcome.error);
            return ExitStatus::InputRefused;
        }
        return ExitStatus::Written;
    }
    FileSave save(PathFromName(output));
    const StreamOutcome outcome = write([&save](std::string_view piece) {
        save.Write(piece);
        return save.result().saved();
    });
    if (!outcome.error.empty()) {
        reporter.Error(failedImage(), outcome.error);
        return ExitStatus::InputRefused;
    }
    if (!save.result().saved()) {
        return ReportSave(save.result(), output, reporter);
    }
    return ReportSave(save.Commit(), output, reporter);
}

}  // namespace quorrel
