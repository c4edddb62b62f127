#include <windows.h>

#include <cstdint>

#include "FileHandle.h"
#include "FileSystemName.h"
#include "ReadSharedFile.h"
#include "Win32Path.h"

namespace quorrel {

namespace {

// What ReadWholeFile would still read.
constexpr std::uint64_t kMaxBytes = 0xFFFFFFFEu;

}  // namespace

SharedRead ReadSharedFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    const std::wstring full = Win32Path(PathFromName(path));
    if (full.empty()) {
        return SharedRead::Refused;
    }
    const FileHandle file(::CreateFileW(full.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return ::GetLastError() == ERROR_FILE_NOT_FOUND ? SharedRead::Missing : SharedRead::Refused;
    }
    if (::GetFileType(file.get()) != FILE_TYPE_DISK) {
        return SharedRead::Refused;
    }
    char buffer[65536];
    for (;;) {
        DWORD n = 0;
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &n, nullptr) ||
            bytes.size() + n > kMaxBytes) {
            bytes.clear();
            return SharedRead::Refused;
        }
        if (n == 0) {
            return SharedRead::Read;
        }
        bytes.append(buffer, n);
    }
}

}  // namespace quorrel
