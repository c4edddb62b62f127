#include "Reporter.h"

#include <string>

#include "CliTexts.h"
#include "Cp1251.h"
#include "FileErrorText.h"
#include "WriteStream.h"

namespace quorrel {

namespace {

void WriteLines(std::string_view subject, std::string_view utf8) {
    std::string out;
    while (true) {
        const auto end = utf8.find('\n');
        std::string_view line = utf8.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        out += cli::kProgramName;
        out += ": ";
        if (!subject.empty()) {
            out += subject;
            out += ": ";
        }
        out += line;
        out += '\n';
        if (end == std::string_view::npos) {
            break;
        }
        utf8.remove_prefix(end + 1);
    }
    // Nothing sensible is left to do when standard error itself fails.
    static_cast<void>(WriteText(2, out));
}

}  // namespace

void Reporter::Error(std::string_view subject, std::string_view text) const {
    WriteLines(subject, cp1251::ToUtf8(text));
}

void Reporter::Error(std::string_view subject, std::string_view text, std::string_view path) const {
    std::string utf8 = cp1251::ToUtf8(text);
    if (const auto at = utf8.find(kPathMark); at != std::string::npos) {
        utf8.replace(at, 1, path);
    }
    WriteLines(subject, utf8);
}

void Reporter::Warning(std::string_view subject, std::string_view text) const {
    if (!quiet_) {
        Error(subject, text);
    }
}

void Reporter::FileError(int cause, std::string_view path) const {
    Error({}, FileErrorText(cause, std::string_view(&kPathMark, 1)), path);
}

}  // namespace quorrel
