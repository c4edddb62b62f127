#include "RunProcess.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <stdexcept>
#include <thread>

namespace quorrel::test {

namespace {

int Open(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0) {
        throw std::runtime_error("cannot open " + path);
    }
    return fd;
}

}  // namespace

Process::Process(const std::string& program, const std::vector<std::string>& args,
                 const ProcessOptions& options)
    : readOut_(!options.stdoutClosed && !options.stdoutPath) {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    WriteFile(streams_.File("in"), options.input);
    constexpr int kWrite = O_WRONLY | O_CREAT | O_TRUNC;
    int fds[3] = {Open(streams_.File("in"), O_RDONLY), -1, Open(streams_.File("err"), kWrite)};
    if (!options.stdoutClosed) {
        fds[1] = Open(options.stdoutPath.value_or(streams_.File("out")), kWrite);
    } else if (int pipeFds[2]; ::pipe2(pipeFds, O_CLOEXEC) == 0) {
        ::close(pipeFds[0]);  // before the child starts, so its first write already fails
        fds[1] = pipeFds[1];
    }
    const pid_t pid = fds[1] < 0 ? -1 : ::fork();
    if (pid == 0) {
        // Only async-signal-safe calls between fork and exec.
        const unsigned user = options.user.value_or(0);
        const rlim_t limit = options.fileSizeLimit.value_or(RLIM_INFINITY);
        const struct rlimit rl { limit, limit };
        if (::dup2(fds[0], 0) < 0 || ::dup2(fds[1], 1) < 0 || ::dup2(fds[2], 2) < 0 ||
            (options.workingDirectory && ::chdir(options.workingDirectory->c_str()) != 0) ||
            (options.user && (::setgroups(0, nullptr) != 0 || ::setresgid(user, user, user) != 0 ||
                              ::setresuid(user, user, user) != 0)) ||
            (options.fileSizeLimit && ::setrlimit(RLIMIT_FSIZE, &rl) != 0)) {
            ::_exit(126);
        }
        // The program must guard itself against a closed pipe and a full file; ours must not.
        ::signal(SIGPIPE, SIG_DFL);
        ::signal(SIGXFSZ, SIG_DFL);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    for (const int fd : fds) {
        ::close(fd);
    }
    if (pid < 0) {
        throw std::runtime_error("cannot start " + program);
    }
    handle_ = pid;
}

Process::~Process() {
    if (handle_ > 0) {
        ::kill(pid_t(handle_), SIGKILL);
        ::waitpid(pid_t(handle_), nullptr, 0);
    }
}

long Process::pid() const {
    return long(handle_);
}

void Process::Kill(int signal) const {
    if (handle_ > 0) {
        ::kill(pid_t(handle_), signal);
    }
}

ProcessResult Process::Wait(std::chrono::milliseconds timeout) {
    ProcessResult result;
    int status = 0;
    struct rusage usage {};
    for (pid_t done; (done = ::wait4(pid_t(handle_), &status, WNOHANG, &usage)) != handle_;) {
        if (done < 0 && errno != EINTR) {
            throw std::runtime_error("wait4 failed");
        }
        if (std::chrono::steady_clock::now() > start_ + timeout && !result.timedOut) {
            result.timedOut = true;
            ::kill(pid_t(handle_), SIGKILL);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    handle_ = -1;
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    result.maxRssKib = usage.ru_maxrss;
    result.out = readOut_ ? ReadFile(streams_.File("out")) : "";
    result.err = ReadFile(streams_.File("err"));
    return result;
}

}  // namespace quorrel::test
