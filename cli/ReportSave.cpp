#include "ReportSave.h"

#include "Messages.h"

namespace quorrel {

ExitStatus ReportSave(const SaveResult& result, std::string_view output, const Reporter& reporter) {
    switch (result.outcome) {
        case SaveOutcome::Saved:
            return ExitStatus::Written;
        case SaveOutcome::CannotOpen:
            reporter.Error(output, msg::kCannotOpenOutput);
            return ExitStatus::NotWritten;
        case SaveOutcome::WriteFailed:
            reporter.FileError(result.cause, output);
            return ExitStatus::NotWritten;
    }
    return ExitStatus::NotWritten;
}

}  // namespace quorrel
