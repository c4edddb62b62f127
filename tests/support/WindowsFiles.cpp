#include "WindowsFiles.h"

#include <winioctl.h>

#include <stdexcept>

#include "FileSystemName.h"

namespace quorrel::test {

std::wstring WidePath(const TempDir& dir, std::string_view name) {
    return PathFromName(dir.File(name)).make_preferred().native();
}

FileHandle OpenElsewhere(const std::wstring& path, DWORD access, DWORD share) {
    FileHandle file(::CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        throw std::runtime_error("cannot open a test file elsewhere");
    }
    return file;
}

void MakeSparseFile(const std::wstring& path, long long size) {
    const FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD ignored = 0;
    ::DeviceIoControl(file.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
    LARGE_INTEGER end{};
    end.QuadPart = size;
    if (!::SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) || !::SetEndOfFile(file.get())) {
        throw std::runtime_error("cannot make a sparse file");
    }
}

}  // namespace quorrel::test
