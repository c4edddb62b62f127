#include "WritePatchedImage.h"

#include <optional>
#include <string>

#include "CliTexts.h"
#include "FileSave.h"
#include "FileSystemName.h"
#include "ImageOutput.h"
#include "Messages.h"
#include "ReportSave.h"

namespace quorrel {

bool HoldImageWrittenOver(const CliOptions& options) {
#ifdef _WIN32
    if (options.patchMode == PatchMode::Check || !options.output || *options.output == "-") {
        return false;
    }
    OutputGuard image;
    image.Protect(*options.image);
    return image.Covers(*options.output);
#else
    static_cast<void>(options);
    return false;
#endif
}

ExitStatus WritePatchedImage(const CliOptions& options, const OutputGuard& patches,
                             OpenedImage& image, std::string_view patchShown,
                             std::string_view imageShown,
                             const std::function<PatchFitter::Written(ImageSink&)>& write,
                             const Reporter& reporter) {
    const std::string& output = *options.output;
    std::optional<FileSave> save;
    if (output != "-") {
        // The image may be replaced in place; a patch may not, it is the record of the change.
        if (patches.Covers(output)) {
            reporter.Error(output, cli::kOutputIsPatch);
            return ExitStatus::NotWritten;
        }
        save.emplace(PathFromName(output));
    }
    ImageOutput sink(save ? &*save : nullptr, image.file(), image.held());
    switch (write(sink)) {
        case PatchFitter::Written::Done:
            return save ? ReportSave(save->Commit(), output, reporter) : ExitStatus::Written;
        case PatchFitter::Written::PatchFailed:
            reporter.Error(patchShown, msg::kReadError);
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
    reporter.Error(imageShown, msg::kReadError);
    return ExitStatus::InputRefused;
}

}  // namespace quorrel
