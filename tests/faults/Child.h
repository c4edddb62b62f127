#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace quorrel::test {

struct ChildOptions {
    std::optional<rlim_t> fileSizeLimit;  // RLIMIT_FSIZE in the child
    bool ignoreFileSizeSignal = false;    // start the child with SIGXFSZ ignored
    std::string workingDirectory;         // empty: the test's own
    std::optional<uid_t> user;            // run as this user, with its number as group too
};

struct ChildResult {
    int exitCode = -1;  // -1 when it did not exit normally
    int signal = 0;     // the signal that ended it
    bool timedOut = false;
    std::string err;     // standard error
    long maxRssKib = 0;  // peak resident memory
    double seconds = 0;  // wall time from start to end
};

// A program run as a child process: standard input from /dev/null, standard output discarded,
// standard error kept. Not copyable; the destructor kills and reaps a child still running.
class Child {
  public:
    Child(const std::string& program, const std::vector<std::string>& args,
          const ChildOptions& options = {});
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t pid() const { return pid_; }
    void Kill(int signal) const;
    // Waits for the end; past `timeout` the child is killed and the result says so.
    ChildResult Wait(std::chrono::milliseconds timeout = std::chrono::seconds(60));

  private:
    pid_t pid_ = -1;
    std::string errPath_;
    std::chrono::steady_clock::time_point start_;
};

// Runs to the end and returns the result.
ChildResult RunChild(const std::string& program, const std::vector<std::string>& args,
                     const ChildOptions& options = {},
                     std::chrono::milliseconds timeout = std::chrono::seconds(60));

}  // namespace quorrel::test
