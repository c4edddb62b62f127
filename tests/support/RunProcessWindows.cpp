#include <windows.h>

#include <stdexcept>

#include "FileHandle.h"
#include "FileSystemName.h"
#include "RunProcess.h"

namespace quorrel::test {

namespace {

// Every argument must reach the child as it is: quoted whole, which the C runtime undoes for
// any text without a quote or a final backslash; text that is not WTF-8 has no wide form.
std::wstring CommandLine(const std::string& program, const std::vector<std::string>& args) {
    std::wstring line;
    for (const std::string& arg : args) {
        const std::wstring wide = PathFromName(arg).native();
        if ((wide.empty() && !arg.empty()) || wide.find(L'"') != std::wstring::npos ||
            wide.ends_with(L'\\')) {
            throw std::invalid_argument("no Windows command line holds " + arg);
        }
        line += L" \"" + wide + L"\"";
    }
    return L"\"" + PathFromName(program).native() + L"\"" + line;
}

HANDLE OpenInherited(const std::string& path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const HANDLE file = ::CreateFileW(PathFromName(path).c_str(), access, FILE_SHARE_READ, &inherit,
                                      disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("cannot open " + path);
    }
    return file;
}

}  // namespace

Process::Process(const std::string& program, const std::vector<std::string>& args,
                 const ProcessOptions& options)
    : readOut_(!options.stdoutClosed && !options.stdoutPath) {
    std::wstring line = CommandLine(program, args);
    WriteFile(streams_.File("in"), options.input);
    const FileHandle in(OpenInherited(streams_.File("in"), GENERIC_READ, OPEN_EXISTING));
    const FileHandle err(OpenInherited(streams_.File("err"), GENERIC_WRITE, CREATE_ALWAYS));
    FileHandle out;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!options.stdoutClosed) {
        out = FileHandle(OpenInherited(options.stdoutPath.value_or(streams_.File("out")),
                                       GENERIC_WRITE, CREATE_ALWAYS));
    } else if (::CreatePipe(&read, &write, &inherit, 0)) {
        ::CloseHandle(read);  // before the child starts, so its first write already fails
        out = FileHandle(write);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in.get();
    startup.hStdOutput = out.get();
    startup.hStdError = err.get();
    const std::wstring directory =
        options.workingDirectory ? PathFromName(*options.workingDirectory).native() : L"";
    PROCESS_INFORMATION info{};
    if (!out.valid() ||
        !::CreateProcessW(PathFromName(program).c_str(), line.data(), nullptr, nullptr, TRUE,
                          CREATE_NO_WINDOW, nullptr,
                          directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
        throw std::runtime_error("cannot start " + program);
    }
    ::CloseHandle(info.hThread);
    handle_ = reinterpret_cast<std::intptr_t>(info.hProcess);
}

Process::~Process() {
    if (handle_ != -1) {
        Kill(1);
        ::WaitForSingleObject(HANDLE(handle_), INFINITE);
        ::CloseHandle(HANDLE(handle_));
    }
}

long Process::pid() const {
    return long(::GetProcessId(HANDLE(handle_)));
}

void Process::Kill(int signal) const {
    ::TerminateProcess(HANDLE(handle_), UINT(signal));
}

ProcessResult Process::Wait(std::chrono::milliseconds timeout) {
    ProcessResult result;
    const HANDLE process = HANDLE(handle_);
    if (::WaitForSingleObject(process, DWORD(timeout.count())) != WAIT_OBJECT_0) {
        result.timedOut = true;
        Kill(1);
        ::WaitForSingleObject(process, INFINITE);
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process, &code);
    ::CloseHandle(process);
    handle_ = -1;
    result.exitCode = int(code);
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    result.out = readOut_ ? ReadFile(streams_.File("out")) : "";
    result.err = ReadFile(streams_.File("err"));
    return result;
}

}  // namespace quorrel::test
