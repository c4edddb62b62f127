#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorrel::test {

// The quorrel-cli built alongside the tests.
const std::string& CliPath();

// A DIFF of `newBytes` new bytes in 16 KiB NORD blocks at consecutive offsets; `seed` varies the
// bytes so two DIFF files give two different patches of the same size.
std::string LargeDiff(std::size_t newBytes, std::uint8_t seed);

std::vector<std::string> ListDirectory(const std::string& path);  // sorted

// What quorrel-cli prints for a message of the engine: Windows-1251 text shown as UTF-8.
std::string CliLine(std::string_view subject, std::string_view cp1251Text);

// The quorrel-cli arguments for converting `diff` to `output` with a fixed id, no warnings, and
// the settings file `settings`.
std::vector<std::string> ConvertArgs(const std::string& settings, const std::string& diff,
                                     const std::string& output);

struct ChildOptions {
    std::optional<rlim_t> fileSizeLimit;  // RLIMIT_FSIZE in the child
    std::optional<uid_t> user;            // run as this user, with its number as group too
};

struct ChildResult {
    int exitCode = -1;  // -1 when it did not exit normally
    int signal = 0;
    bool timedOut = false;
    std::string err;
    long maxRssKib = 0;  // peak resident memory
    double seconds = 0;
};

// A program run as a child process: standard input from /dev/null, standard output discarded,
// standard error kept. The destructor kills and reaps a child still running.
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
    int err_ = -1;
    std::chrono::steady_clock::time_point start_;
};

ChildResult RunChild(const std::string& program, const std::vector<std::string>& args,
                     const ChildOptions& options = {},
                     std::chrono::milliseconds timeout = std::chrono::seconds(60));

}  // namespace quorrel::test
