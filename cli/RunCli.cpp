#include "RunCli.h"

#include "CliTexts.h"
#include "ConvertDiff.h"
#include "Cp1251.h"
#include "FileChecks.h"
#include "FileSave.h"
#include "FileSystemName.h"
#include "Messages.h"
#include "OpenedImage.h"
#include "ParseCliOptions.h"
#include "Reporter.h"
#include "RunCompareMode.h"
#include "RunPatchMode.h"
#include "SettingsFile.h"
#include "WriteStream.h"

namespace quorrel {

namespace {

ExitStatus PrintToStdout(const std::string& utf8, const Reporter& reporter) {
    if (const int cause = WriteText(1, utf8); cause != 0) {
        reporter.FileError(cause, cli::kStdoutName);
        return ExitStatus::NotWritten;
    }
    return ExitStatus::Written;
}

ExitStatus Refuse(const ParsedCommandLine& parsed, const Reporter& reporter) {
    reporter.Error(parsed.subject, parsed.reason);
    if (parsed.showUsage) {
        std::string usage(cli::kUsage);
        usage += "\n";
        usage += cli::kSeeHelp;
        reporter.Error({}, usage);
    }
    return ExitStatus::FieldRefused;
}

ExitStatus Convert(const CliOptions& options, const Reporter& reporter) {
    const SettingsFile settingsFile =
        options.settings ? SettingsFile(*options.settings) : SettingsFile::ForExecutable();
    const AuthorSettings settings = settingsFile.LoadAuthorSettings();

    OutputGuard guard;
    OpenedImage image;
    std::string imageShown;
    bool imageAccepted = false;
    if (options.image) {
        const std::string& path = *options.image;
        imageShown = path == "-" ? cli::kStdinName : path;
        image.Open(path);
        if (image.bytes() == nullptr) {
            // An image asked for but not read would silently make every patch incomplete.
            reporter.Error(imageShown, msg::kReadError);
            return ExitStatus::InputRefused;
        }
        const ImageCheck check = CheckFirmwareImage(image.size());
        imageAccepted = check.accepted;
        if (!check.accepted) {
            reporter.Warning(imageShown, check.message);
        }
        guard.Protect(path);
    }
    for (const std::string& diff : options.diffs) {
        guard.Protect(diff);
    }

    RunContext run{options,  settings, image.bytes(), imageShown, imageAccepted,
                   reporter, guard,    false,         {}};
    ExitStatus status = ExitStatus::Written;
    for (const std::string& diff : options.diffs) {
        status = Worse(status, ConvertDiff(diff, run));
    }
    return Worse(status, CommitPatches(run));
}

}  // namespace

ExitStatus RunCli(std::span<const std::string> args) {
    const ParsedCommandLine parsed = ParseCliOptions(args);
    const Reporter reporter(parsed.options.quiet);
    switch (parsed.action) {
        case ParsedCommandLine::Action::Help:
            return PrintToStdout(cp1251::ToUtf8(cli::kHelp), reporter);
        case ParsedCommandLine::Action::Version:
            return PrintToStdout(std::string(cli::kProgramName) + " " QUORREL_VERSION "\n",
                                 reporter);
        case ParsedCommandLine::Action::Refuse:
            return Refuse(parsed, reporter);
        case ParsedCommandLine::Action::Patch:
            return RunPatchMode(parsed.options, reporter);
        case ParsedCommandLine::Action::Compare:
            return RunCompareMode(parsed.options, reporter);
        case ParsedCommandLine::Action::Convert:
            break;
    }
    return Convert(parsed.options, reporter);
}

}  // namespace quorrel
