#include <windows.h>

#include <new>

#include "FileHandle.h"
#include "ReadWholeFile.h"
#include "Win32Path.h"

namespace quorrel {

LoadedFile ReadWholeFile(const std::filesystem::path& path) {
    if (path.empty()) {
        return {};
    }
    // Readers may share the file, writers may not: a file being written elsewhere fails.
    // Without backup semantics a directory cannot be opened at all.
    const FileHandle file(
        ::CreateFileW(Win32Path(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.valid() || ::GetFileType(file.get()) != FILE_TYPE_DISK) {
        return {};
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file.get(), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return {};
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
        static_cast<std::uint64_t>(size.QuadPart) >= LoadedFile::kFailedRead) {
        return {};
    }
    const auto wanted = static_cast<DWORD>(size.QuadPart);
    std::unique_ptr<std::uint8_t[]> bytes(new (std::nothrow)
                                              std::uint8_t[wanted == 0 ? 1 : wanted]);
    if (bytes == nullptr) {
        return {};
    }
    DWORD delivered = 0;
    while (delivered < wanted) {
        DWORD n = 0;
        if (!::ReadFile(file.get(), bytes.get() + delivered, wanted - delivered, &n, nullptr)) {
            return {};
        }
        if (n == 0) {
            break;
        }
        delivered += n;
    }
    return LoadedFile::Adopt(std::move(bytes), delivered);
}

}  // namespace quorrel
