#include "Child.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <stdexcept>
#include <thread>

#include "TempDir.h"

namespace quorrel::test {

namespace {

std::string MakeErrPath() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/quorrel-child-err.XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int fd = ::mkstemp(buffer.data());
    if (fd < 0) {
        throw std::runtime_error("mkstemp failed");
    }
    ::close(fd);
    return buffer.data();
}

// Only async-signal-safe calls between fork and exec.
[[noreturn]] void Exec(const std::string& program, std::vector<char*>& argv,
                       const ChildOptions& options, const char* errPath) {
    const int in = ::open("/dev/null", O_RDONLY);
    const int out = ::open("/dev/null", O_WRONLY);
    const int err = ::open(errPath, O_WRONLY | O_TRUNC);
    if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 ||
        ::dup2(err, 2) < 0) {
        ::_exit(126);
    }
    if (!options.workingDirectory.empty() && ::chdir(options.workingDirectory.c_str()) != 0) {
        ::_exit(126);
    }
    if (options.user && (::setgroups(0, nullptr) != 0 ||
                         ::setresgid(*options.user, *options.user, *options.user) != 0 ||
                         ::setresuid(*options.user, *options.user, *options.user) != 0)) {
        ::_exit(125);
    }
    ::signal(SIGXFSZ, options.ignoreFileSizeSignal ? SIG_IGN : SIG_DFL);
    if (options.fileSizeLimit) {
        const struct rlimit limit { *options.fileSizeLimit, *options.fileSizeLimit };
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            ::_exit(126);
        }
    }
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
}

}  // namespace

Child::Child(const std::string& program, const std::vector<std::string>& args,
             const ChildOptions& options)
    : errPath_(MakeErrPath()), start_(std::chrono::steady_clock::now()) {
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
    if (pid_ == 0) {
        Exec(program, argv, options, errPath_.c_str());
    }
}

Child::~Child() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    ::unlink(errPath_.c_str());
}

void Child::Kill(int signal) const {
    if (pid_ > 0) {
        ::kill(pid_, signal);
    }
}

ChildResult Child::Wait(std::chrono::milliseconds timeout) {
    ChildResult result;
    const auto deadline = start_ + timeout;
    int status = 0;
    struct rusage usage {};
    while (true) {
        const pid_t done = ::wait4(pid_, &status, WNOHANG, &usage);
        if (done == pid_) {
            break;
        }
        if (done < 0 && errno != EINTR) {
            throw std::runtime_error("wait4 failed");
        }
        if (std::chrono::steady_clock::now() > deadline && !result.timedOut) {
            result.timedOut = true;
            ::kill(pid_, SIGKILL);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    pid_ = -1;
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    if (WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
    }
    result.maxRssKib = usage.ru_maxrss;
    result.err = ReadFile(errPath_);
    return result;
}

ChildResult RunChild(const std::string& program, const std::vector<std::string>& args,
                     const ChildOptions& options, std::chrono::milliseconds timeout) {
    Child child(program, args, options);
    return child.Wait(timeout);
}

}  // namespace quorrel::test
