#include <windows.h>

#include <stdexcept>

#include "FileHandle.h"
#include "FileSystemName.h"
#include "RunProcess.h"
#include "TempDir.h"
#include "WindowsFiles.h"

namespace quorrel::test {

namespace {

// Every argument must reach the child as it is; text that is not WTF-8 has no wide form.
std::wstring WideArgument(const std::string& arg) {
    std::wstring wide = PathFromName(arg).native();
    if (wide.empty() && !arg.empty()) {
        throw std::invalid_argument("no Windows command line holds " + arg);
    }
    return wide;
}

// The streams are files, so no side can block the other however much either writes.
FileHandle OpenInherited(const std::string& path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    FileHandle file(::CreateFileW(PathFromName(path).c_str(), access, FILE_SHARE_READ, &inherit,
                                  disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        throw std::runtime_error("cannot open " + path);
    }
    return file;
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

    const TempDir streams;
    WriteFile(streams.File("in"), options.input);
    const std::string outPath = options.stdoutPath.value_or(streams.File("out"));
    FileHandle in = OpenInherited(streams.File("in"), GENERIC_READ, OPEN_EXISTING);
    FileHandle err = OpenInherited(streams.File("err"), GENERIC_WRITE, CREATE_ALWAYS);
    FileHandle out;
    if (options.stdoutClosed) {
        HANDLE read = nullptr;
        HANDLE write = nullptr;
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        if (!::CreatePipe(&read, &write, &inherit, 0)) {
            throw std::runtime_error("CreatePipe failed");
        }
        ::CloseHandle(read);  // before the child starts, so its first write already fails
        out = FileHandle(write);
    } else {
        out = OpenInherited(outPath, GENERIC_WRITE, CREATE_ALWAYS);
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
    if (!::CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, TRUE,
                          CREATE_NO_WINDOW, nullptr,
                          directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
        throw std::runtime_error("cannot start " + program);
    }
    ::CloseHandle(info.hThread);
    in.Close();
    out.Close();
    err.Close();

    ProcessResult result;
    result.exitCode = static_cast<int>(WaitForExit(FileHandle(info.hProcess)));
    if (!options.stdoutClosed && !options.stdoutPath) {
        result.out = ReadFile(outPath);
    }
    result.err = ReadFile(streams.File("err"));
    return result;
}

}  // namespace quorrel::test
