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
    ProcessOptions(std::string in = {}, std::optional<std::string> directory = {})
        : input(std::move(in)), workingDirectory(std::move(directory)) {}

    std::string input;  // all of standard input
    std::optional<std::string> workingDirectory;
    std::optional<std::string> stdoutPath;  // standard output goes to this file instead
    bool stdoutClosed = false;              // standard output is a pipe nobody reads
};

// Runs `program` with `args` (after argv[0]) and waits for it, collecting its output.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const ProcessOptions& options = {});

}  // namespace quorrel::test
