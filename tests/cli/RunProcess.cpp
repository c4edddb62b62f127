#include "RunProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <stdexcept>

namespace quorrel::test {

namespace {

struct Pipe {
    int read = -1;
    int write = -1;
};

Pipe MakePipe() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe2 failed");
    }
    return {fds[0], fds[1]};
}

void CloseFd(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

[[noreturn]] void RunChild(const std::string& program, std::vector<char*>& argv, int in, int out,
                           int err, const ProcessOptions& options) {
    if (::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) {
        ::_exit(126);
    }
    if (options.workingDirectory && ::chdir(options.workingDirectory->c_str()) != 0) {
        ::_exit(126);
    }
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
}

// Feeds the input and drains both outputs together, so neither side can block the other.
void Exchange(int& in, std::string_view input, int& out, std::string& outText, int& err,
              std::string& errText) {
    char buffer[65536];
    while (in >= 0 || out >= 0 || err >= 0) {
        pollfd fds[3] = {{in, POLLOUT, 0}, {out, POLLIN, 0}, {err, POLLIN, 0}};
        if (::poll(fds, 3, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw std::runtime_error("poll failed");
        }
        if (in >= 0 && fds[0].revents != 0) {
            const ssize_t n = ::write(in, input.data(), input.size());
            if (n < 0 && errno != EAGAIN && errno != EINTR) {
                CloseFd(in);  // the child stopped reading
            } else if (n > 0) {
                input.remove_prefix(static_cast<std::size_t>(n));
            }
            if (input.empty()) {
                CloseFd(in);
            }
        }
        int* readers[2] = {&out, &err};
        std::string* texts[2] = {&outText, &errText};
        for (int k = 0; k < 2; ++k) {
            if (*readers[k] >= 0 && fds[k + 1].revents != 0) {
                const ssize_t n = ::read(*readers[k], buffer, sizeof buffer);
                if (n > 0) {
                    texts[k]->append(buffer, static_cast<std::size_t>(n));
                } else if (n == 0 || errno != EINTR) {
                    CloseFd(*readers[k]);
                }
            }
        }
    }
}

}  // namespace

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const ProcessOptions& options) {
    // Feeding a child that exits early must not kill the test.
    std::signal(SIGPIPE, SIG_IGN);

    std::vector<std::string> argvStrings{program};
    argvStrings.insert(argvStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : argvStrings) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    Pipe in = MakePipe();
    Pipe err = MakePipe();
    Pipe out;
    int childOut = -1;
    if (options.stdoutPath) {
        childOut =
            ::open(options.stdoutPath->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (childOut < 0) {
            throw std::runtime_error("cannot open " + *options.stdoutPath);
        }
    } else {
        out = MakePipe();
        childOut = out.write;
        if (options.stdoutClosed) {
            CloseFd(out.read);  // before the child starts, so its first write already fails
        }
    }

    const pid_t pid = ::fork();
    if (pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid == 0) {
        RunChild(program, argv, in.read, childOut, err.write, options);
    }
    CloseFd(in.read);
    CloseFd(err.write);
    if (options.stdoutPath) {
        CloseFd(childOut);
    } else {
        CloseFd(out.write);
    }
    ::fcntl(in.write, F_SETFL, O_NONBLOCK);

    ProcessResult result;
    Exchange(in.write, options.input, out.read, result.out, err.read, result.err);

    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            throw std::runtime_error("waitpid failed");
        }
    }
    if (WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
    }
    return result;
}

}  // namespace quorrel::test
