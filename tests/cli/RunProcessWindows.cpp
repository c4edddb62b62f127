#include <windows.h>

#include <stdexcept>
#include <thread>

#include "FileHandle.h"
#include "FileSystemName.h"
#include "RunProcess.h"
#include "WindowsFiles.h"

namespace quorrel::test {

namespace {

struct Pipe {
    FileHandle read;
    FileHandle write;
};

Pipe MakePipe() {
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    if (!::CreatePipe(&read, &write, nullptr, 0)) {
        throw std::runtime_error("CreatePipe failed");
    }
    return {FileHandle(read), FileHandle(write)};
}

void Inherit(const FileHandle& handle) {
    ::SetHandleInformation(handle.get(), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
}

// Every argument must reach the child as it is; text that is not WTF-8 has no wide form.
std::wstring WideArgument(const std::string& arg) {
    std::wstring wide = PathFromName(arg).native();
    if (wide.empty() && !arg.empty()) {
        throw std::invalid_argument("no Windows command line holds " + arg);
    }
    return wide;
}

void Drain(const FileHandle& from, std::string& into) {
    char buffer[65536];
    DWORD n = 0;
    while (::ReadFile(from.get(), buffer, sizeof buffer, &n, nullptr) && n > 0) {
        into.append(buffer, n);
    }
}

}  // namespace

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const ProcessOptions& options) {
    const std::wstring application = WideArgument(program);
    std::vector<std::wstring> wideArgs;
    for (const std::string& arg : args) {
        wideArgs.push_back(WideArgument(arg));
    }
    std::wstring line = QuotedCommandLine(application, wideArgs);

    Pipe in = MakePipe();
    Pipe err = MakePipe();
    Pipe out;
    FileHandle childOut;
    if (options.stdoutPath) {
        childOut = FileHandle(::CreateFileW(PathFromName(*options.stdoutPath).c_str(),
                                            GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!childOut.valid()) {
            throw std::runtime_error("cannot open " + *options.stdoutPath);
        }
    } else {
        out = MakePipe();
        childOut = std::move(out.write);
        if (options.stdoutClosed) {
            out.read.Close();  // before the child starts, so its first write already fails
        }
    }
    Inherit(in.read);
    Inherit(childOut);
    Inherit(err.write);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in.read.get();
    startup.hStdOutput = childOut.get();
    startup.hStdError = err.write.get();
    const std::wstring directory =
        options.workingDirectory ? PathFromName(*options.workingDirectory).native() : L"";
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, TRUE,
                          CREATE_NO_WINDOW, nullptr,
                          directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
        throw std::runtime_error("cannot start " + program);
    }
    const FileHandle process(info.hProcess);
    ::CloseHandle(info.hThread);
    in.read.Close();
    childOut.Close();
    err.write.Close();

    ProcessResult result;
    // Each stream on its own thread, so that neither side can block the other.
    std::thread feeder([&] {
        DWORD error = 0;
        WriteAll(in.write.get(), options.input, error);  // a child that stops reading is fine
        in.write.Close();
    });
    std::thread errors([&] { Drain(err.read, result.err); });
    if (out.read.valid()) {
        Drain(out.read, result.out);
    }
    feeder.join();
    errors.join();

    DWORD code = 0;
    if (::WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0 ||
        !::GetExitCodeProcess(process.get(), &code)) {
        throw std::runtime_error("cannot wait for " + program);
    }
    result.exitCode = static_cast<int>(code);
    return result;
}

}  // namespace quorrel::test
