#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "TempDir.h"

namespace quorrel::test {

struct ProcessOptions {
    ProcessOptions(std::string in = {}, std::optional<std::string> directory = {})
        : input(std::move(in)), workingDirectory(std::move(directory)) {}

    std::string input;                     // all of standard input
    std::optional<std::string> stdinPath;  // standard input comes from this file instead
    std::optional<std::string> workingDirectory;
    std::optional<std::string> stdoutPath;       // standard output goes to this file instead
    bool stdoutClosed = false;                   // standard output is a pipe nobody reads
    std::optional<std::uint64_t> fileSizeLimit;  // POSIX only: RLIMIT_FSIZE in the child
    // POSIX only: run as this user, its number as group too, from a copy of the program that
    // the user can reach wherever the build lives.
    std::optional<unsigned> user;
    std::vector<int> closed;  // POSIX only: these standard descriptors closed in the child
};

struct ProcessResult {
    int exitCode = -1;  // -1 when the process did not exit normally
    int signal = 0;     // the signal that ended it, if one did
    bool timedOut = false;
    std::string out;
    std::string err;
    long maxRssKib = 0;  // peak resident memory, where the system tells
    double seconds = 0;
};

// A program started with `args` after argv[0]. Its streams are files, so no side can block the
// other however much either writes. The destructor kills and reaps a process still running.
class Process {
  public:
    Process(const std::string& program, const std::vector<std::string>& args,
            const ProcessOptions& options = {});
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    long pid() const;
    void Kill(int signal) const;
    // Waits for the end; past `timeout` the process is killed and the result says so.
    ProcessResult Wait(std::chrono::milliseconds timeout = std::chrono::seconds(120));

  private:
    TempDir streams_;
    bool readOut_;
    std::intptr_t handle_ = -1;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

inline ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                                const ProcessOptions& options = {},
                                std::chrono::milliseconds timeout = std::chrono::seconds(120)) {
    return Process(program, args, options).Wait(timeout);
}

}  // namespace quorrel::test
