#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quorrel::test {

struct ProcessResult {
    int exitCode = -1;  // -1 when the process did not exit normally
    int signal = 0;     // the signal that ended it, if one did
    std::string out;
    std::string err;
};

struct ProcessOptions {
    std::string input;                      // fed to standard input, which is then closed
    std::optional<std::string> stdoutPath;  // standard output goes to this file instead
    bool stdoutClosed = false;              // standard output is a pipe nobody reads
    std::optional<std::string> workingDirectory;
};

inline ProcessOptions InDirectory(std::string directory) {
    ProcessOptions options;
    options.workingDirectory = std::move(directory);
    return options;
}

inline ProcessOptions WithInput(std::string input) {
    ProcessOptions options;
    options.input = std::move(input);
    return options;
}

inline ProcessOptions StdoutTo(std::string path) {
    ProcessOptions options;
    options.stdoutPath = std::move(path);
    return options;
}

inline ProcessOptions StdoutClosed() {
    ProcessOptions options;
    options.stdoutClosed = true;
    return options;
}

// Runs `program` with `args` (after argv[0]) and waits for it, collecting its output.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const ProcessOptions& options = {});

}  // namespace quorrel::test
