#include "RunProcess.h"

#ifdef _WIN32
#include <windows.h>

#include "FileHandle.h"
#include "FileSystemName.h"
#else
#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <thread>
#endif

#include <stdexcept>

namespace quorrel::test {

namespace {

#ifdef _WIN32
// Every argument must reach the child as it is: quoted whole, which the C runtime undoes for
// any text without a quote or a final backslash; text that is not WTF-8 has no wide form.
std::wstring CommandLine(const std::string& program, const std::vector<std::string>& args) {
    std::wstring line = L"\"" + PathFromName(program).native() + L"\"";
    for (const std::string& arg : args) {
        const std::wstring wide = PathFromName(arg).native();
        if ((wide.empty() && !arg.empty()) || wide.find(L'"') != std::wstring::npos ||
            wide.ends_with(L'\\')) {
            throw std::invalid_argument("no Windows command line holds " + arg);
        }
        line += L" \"" + wide + L"\"";
    }
    return line;
}

HANDLE OpenInherited(const std::string& path, DWORD access, DWORD disposition,
                     DWORD share = FILE_SHARE_READ) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const HANDLE file = ::CreateFileW(PathFromName(path).c_str(), access, share, &inherit,
                                      disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("cannot open " + path);
    }
    return file;
}
#else
int Open(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0) {
        throw std::runtime_error("cannot open " + path);
    }
    return fd;
}
#endif

}  // namespace

Process::Process(const std::string& program, const std::vector<std::string>& args,
                 const ProcessOptions& options)
    : readOut_(!options.stdoutClosed && !options.stdoutPath) {
    WriteFile(streams_.File("in"), options.input);
    const std::string in = options.stdinPath.value_or(streams_.File("in"));
    const std::string out = options.stdoutPath.value_or(streams_.File("out"));
#ifdef _WIN32
    const std::wstring line = CommandLine(program, args);
    // As a shell redirects it: others may still write the file.
    const FileHandle stdIn(
        OpenInherited(in, GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ | FILE_SHARE_WRITE));
    const FileHandle err(OpenInherited(streams_.File("err"), GENERIC_WRITE, CREATE_ALWAYS));
    FileHandle stdOut;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    if (!options.stdoutClosed) {
        stdOut = FileHandle(OpenInherited(out, GENERIC_WRITE, CREATE_ALWAYS));
    } else if (HANDLE read = nullptr, write = nullptr; ::CreatePipe(&read, &write, &inherit, 0)) {
        ::CloseHandle(read);  // before the child starts, so its first write already fails
        stdOut = FileHandle(write);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = stdIn.get();
    startup.hStdOutput = stdOut.get();
    startup.hStdError = err.get();
    const std::wstring directory =
        options.workingDirectory ? PathFromName(*options.workingDirectory).native() : L"";
    PROCESS_INFORMATION info{};
    // Wine, busy with other tests' processes, now and then refuses a start it takes a moment
    // later; a refusal that stays is reported with its cause.
    DWORD refused = ERROR_INVALID_HANDLE;
    for (int attempt = 0; stdOut.valid() && attempt < 5; ++attempt) {
        std::wstring tried = line;  // CreateProcessW may write into it
        if (::CreateProcessW(PathFromName(program).c_str(), tried.data(), nullptr, nullptr, TRUE,
                             CREATE_NO_WINDOW, nullptr,
                             directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
            refused = ERROR_SUCCESS;
            break;
        }
        refused = ::GetLastError();
        ::Sleep(200);
    }
    if (refused != ERROR_SUCCESS) {
        throw std::runtime_error("cannot start " + program + ": error " + std::to_string(refused));
    }
    ::CloseHandle(info.hThread);
    handle_ = reinterpret_cast<std::intptr_t>(info.hProcess);
#else
    std::string run = program;
    if (options.user) {
        run = streams_.File(std::filesystem::path(program).filename().string());
        std::filesystem::copy_file(program, run);
        ::chmod(streams_.path().c_str(), 0755);
        ::chmod(run.c_str(), 0755);
    }
    std::vector<char*> argv{const_cast<char*>(run.c_str())};
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    constexpr int kWrite = O_WRONLY | O_CREAT | O_TRUNC;
    int fds[3] = {Open(in, O_RDONLY), -1, Open(streams_.File("err"), kWrite)};
    if (!options.stdoutClosed) {
        fds[1] = Open(out, kWrite);
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
        for (const int fd : options.closed) {
            ::close(fd);
        }
        // The program must guard itself against a closed pipe and a full file; ours must not.
        ::signal(SIGPIPE, SIG_DFL);
        ::signal(SIGXFSZ, SIG_DFL);
        ::execv(run.c_str(), argv.data());
        ::_exit(127);
    }
    for (const int fd : fds) {
        ::close(fd);
    }
    if (pid < 0) {
        throw std::runtime_error("cannot start " + program);
    }
    handle_ = pid;
#endif
}

Process::~Process() {
    if (handle_ != -1) {
#ifdef _WIN32
        Kill(1);
        ::WaitForSingleObject(HANDLE(handle_), INFINITE);
        ::CloseHandle(HANDLE(handle_));
#else
        Kill(SIGKILL);
        ::waitpid(pid_t(handle_), nullptr, 0);
#endif
    }
}

long Process::pid() const {
#ifdef _WIN32
    return long(::GetProcessId(HANDLE(handle_)));
#else
    return long(handle_);
#endif
}

void Process::Kill(int signal) const {
#ifdef _WIN32
    ::TerminateProcess(HANDLE(handle_), UINT(signal));
#else
    if (handle_ > 0) {
        ::kill(pid_t(handle_), signal);
    }
#endif
}

ProcessResult Process::Wait(std::chrono::milliseconds timeout) {
    ProcessResult result;
#ifdef _WIN32
    const HANDLE process = HANDLE(handle_);
    if (::WaitForSingleObject(process, DWORD(timeout.count())) != WAIT_OBJECT_0) {
        result.timedOut = true;
        Kill(1);
        ::WaitForSingleObject(process, INFINITE);
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process, &code);
    ::CloseHandle(process);
    result.exitCode = int(code);
#else
    int status = 0;
    struct rusage usage {};
    for (pid_t done; (done = ::wait4(pid_t(handle_), &status, WNOHANG, &usage)) != handle_;) {
        if (done < 0 && errno != EINTR) {
            throw std::runtime_error("wait4 failed");
        }
        if (std::chrono::steady_clock::now() > start_ + timeout && !result.timedOut) {
            result.timedOut = true;
            Kill(SIGKILL);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    result.maxRssKib = usage.ru_maxrss;
#endif
    handle_ = -1;
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    result.out = readOut_ ? ReadFile(streams_.File("out")) : "";
    result.err = ReadFile(streams_.File("err"));
    return result;
}

}  // namespace quorrel::test
