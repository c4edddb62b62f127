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
    std::string input;                      // all of standard input
    std::optional<std::string> stdoutPath;  // standard output goes to this file instead
    bool stdoutClosed = false;              // standard output is a pipe nobody reads
    std::optional<std::string> workingDirectory;
};

inline ProcessOptions WithInput(std::string input, std::optional<std::string> directory = {}) {
    ProcessOptions options;
    options.input = std::move(input);
    options.workingDirectory = std::move(directory);
    return options;
}

inline ProcessOptions InDirectory(std::string directory) {
    return WithInput({}, std::move(directory));
}

// Runs `program` with `args` (after argv[0]) and waits for it, collecting its output.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const ProcessOptions& options = {});

}  // namespace quorrel::test
