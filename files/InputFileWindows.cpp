#include <windows.h>

#include "InputFile.h"
#include "Win32Path.h"

namespace quorrel {

InputFile::InputFile(const std::filesystem::path& path) {
    if (path.empty()) {
        return;
    }
    // Readers may share the file, writers may not: a file being written elsewhere fails.
    // Without backup semantics a directory cannot be opened at all.
    FileHandle file(::CreateFileW(Win32Path(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    LARGE_INTEGER size{};
    if (!file.valid() || ::GetFileType(file.get()) != FILE_TYPE_DISK ||
        !::GetFileInformationByHandle(file.get(), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
        !::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) {
        return;
    }
    file_ = std::move(file);
    size_ = static_cast<std::uint64_t>(size.QuadPart);
}

bool InputFile::open() const {
    return file_.valid();
}

std::int64_t InputFile::ReadAt(std::uint64_t offset, void* out, std::size_t n) const {
    constexpr std::size_t kChunk = std::size_t{1} << 30;
    std::size_t done = 0;
    while (done < n) {
        const std::uint64_t at = offset + done;
        OVERLAPPED position{};
        position.Offset = static_cast<DWORD>(at);
        position.OffsetHigh = static_cast<DWORD>(at >> 32);
        const auto want = static_cast<DWORD>(n - done < kChunk ? n - done : kChunk);
        DWORD got = 0;
        if (!::ReadFile(file_.get(), static_cast<char*>(out) + done, want, &got, &position)) {
            if (::GetLastError() == ERROR_HANDLE_EOF) {
                break;
            }
            return -1;
        }
        if (got == 0) {
            break;
        }
        done += got;
    }
    return static_cast<std::int64_t>(done);
}

}  // namespace quorrel
