#include <windows.h>

#include "FileHandle.h"
#include "FileIdentity.h"
#include "FileSystemName.h"
#include "Win32Path.h"

namespace quorrel {

std::optional<FileIdentity> IdentifyFile(const std::string& path) {
    const std::wstring full = Win32Path(PathFromName(path));
    if (full.empty()) {
        return std::nullopt;
    }
    // Attributes only: no sharing mode of another program keeps us from looking.
    const FileHandle file(::CreateFileW(
        full.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.valid() || !::GetFileInformationByHandle(file.get(), &info)) {
        return std::nullopt;
    }
    const bool regular = ::GetFileType(file.get()) == FILE_TYPE_DISK &&
                         (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    return FileIdentity{info.dwVolumeSerialNumber,
                        std::uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow, regular};
}

}  // namespace quorrel
