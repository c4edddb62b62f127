#include "FaultSupport.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "Cp1251.h"
#include "DiffBuilder.h"

namespace quorrel::test {

const std::string& CliPath() {
    static const std::string path = QUORREL_CLI_PATH;
    return path;
}

std::string LargeDiff(std::size_t newBytes, std::uint8_t seed) {
    constexpr std::size_t kBlock = 16 * 1024;
    DiffBuilder diff("FAULTS");
    for (std::size_t offset = 0; offset < newBytes; offset += kBlock) {
        const std::size_t n = std::min(kBlock, newBytes - offset);
        diff.Nord(static_cast<std::uint32_t>(offset),
                  CountingBytes(n, static_cast<std::uint8_t>(seed + offset / kBlock)));
    }
    return diff.bytes();
}

std::vector<std::string> ListDirectory(const std::string& path) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string CliLine(std::string_view subject, std::string_view cp1251Text) {
    const std::string prefix = subject.empty() ? "" : std::string(subject) + ": ";
    return "quorrel-cli: " + prefix + cp1251::ToUtf8(cp1251Text) + "\n";
}

std::vector<std::string> ConvertArgs(const std::string& settings, const std::string& diff,
                                     const std::string& output) {
    return {"--settings", settings, "--id", "01020304", "-q", diff, "-o", output};
}

Child::Child(const std::string& program, const std::vector<std::string>& args,
             const ChildOptions& options)
    : start_(std::chrono::steady_clock::now()) {
    char errPath[] = "/tmp/quorrel-child-err.XXXXXX";
    err_ = ::mkstemp(errPath);
    if (err_ < 0) {
        throw std::runtime_error("mkstemp failed");
    }
    ::unlink(errPath);
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid_ != 0) {
        return;
    }
    // Only async-signal-safe calls between fork and exec.
    const int in = ::open("/dev/null", O_RDONLY);
    const int out = ::open("/dev/null", O_WRONLY);
    const uid_t user = options.user.value_or(0);
    const rlim_t limit = options.fileSizeLimit.value_or(RLIM_INFINITY);
    const struct rlimit rl { limit, limit };
    if (in < 0 || out < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(err_, 2) < 0 ||
        (options.user && (::setgroups(0, nullptr) != 0 || ::setresgid(user, user, user) != 0 ||
                          ::setresuid(user, user, user) != 0)) ||
        (options.fileSizeLimit && ::setrlimit(RLIMIT_FSIZE, &rl) != 0)) {
        ::_exit(126);
    }
    ::signal(SIGXFSZ, SIG_DFL);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
}

Child::~Child() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    ::close(err_);
}

void Child::Kill(int signal) const {
    if (pid_ > 0) {
        ::kill(pid_, signal);
    }
}

ChildResult Child::Wait(std::chrono::milliseconds timeout) {
    ChildResult result;
    int status = 0;
    struct rusage usage {};
    for (pid_t done; (done = ::wait4(pid_, &status, WNOHANG, &usage)) != pid_;) {
        if (done < 0 && errno != EINTR) {
            throw std::runtime_error("wait4 failed");
        }
        if (std::chrono::steady_clock::now() > start_ + timeout && !result.timedOut) {
            result.timedOut = true;
            ::kill(pid_, SIGKILL);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    pid_ = -1;
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    result.maxRssKib = usage.ru_maxrss;
    char buffer[4096];
    for (ssize_t n; (n = ::pread(err_, buffer, sizeof buffer, off_t(result.err.size()))) > 0;) {
        result.err.append(buffer, std::size_t(n));
    }
    return result;
}

ChildResult RunChild(const std::string& program, const std::vector<std::string>& args,
                     const ChildOptions& options, std::chrono::milliseconds timeout) {
    Child child(program, args, options);
    return child.Wait(timeout);
}

}  // namespace quorrel::test
