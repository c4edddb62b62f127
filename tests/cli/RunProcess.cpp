#include "RunProcess.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <stdexcept>

#include "TempDir.h"

namespace quorrel::test {

namespace {

// The streams are files, so no side can block the other however much either writes.
int OpenFile(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0) {
        throw std::runtime_error("cannot open " + path);
    }
    return fd;
}

[[noreturn]] void RunChild(const std::string& program, std::vector<char*>& argv, const int fds[3],
                           const ProcessOptions& options) {
    // The program must guard itself against a closed pipe; the test's own setting must not.
    std::signal(SIGPIPE, SIG_DFL);
    for (int i = 0; i < 3; ++i) {
        if (::dup2(fds[i], i) < 0) {
            ::_exit(126);
        }
    }
    if (options.workingDirectory && ::chdir(options.workingDirectory->c_str()) != 0) {
        ::_exit(126);
    }
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
}

}  // namespace

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const ProcessOptions& options) {
    std::vector<std::string> argvStrings{program};
    argvStrings.insert(argvStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : argvStrings) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    const TempDir streams;
    WriteFile(streams.File("in"), options.input);
    const std::string outPath = options.stdoutPath.value_or(streams.File("out"));
    int fds[3] = {OpenFile(streams.File("in"), O_RDONLY), -1,
                  OpenFile(streams.File("err"), O_WRONLY | O_CREAT | O_TRUNC)};
    int pipeFds[2] = {-1, -1};
    if (options.stdoutClosed) {
        if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
            throw std::runtime_error("pipe2 failed");
        }
        ::close(pipeFds[0]);  // before the child starts, so its first write already fails
        fds[1] = pipeFds[1];
    } else {
        fds[1] = OpenFile(outPath, O_WRONLY | O_CREAT | O_TRUNC);
    }

    const pid_t pid = ::fork();
    if (pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid == 0) {
        RunChild(program, argv, fds, options);
    }
    for (const int fd : fds) {
        ::close(fd);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            throw std::runtime_error("waitpid failed");
        }
    }
    ProcessResult result;
    if (WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
    }
    if (!options.stdoutClosed && !options.stdoutPath) {
        result.out = ReadFile(outPath);
    }
    result.err = ReadFile(streams.File("err"));
    return result;
}

}  // namespace quorrel::test
