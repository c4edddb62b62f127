#include <windows.h>

#include "FileHandle.h"
#include "FileIdentity.h"
#include "FileSystemName.h"
#include "Win32Path.h"

namespace quorrel {

namespace {

std::optional<FileIdentity> Identify(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (file == INVALID_HANDLE_VALUE || file == nullptr ||
        !::GetFileInformationByHandle(file, &info)) {
        return std::nullopt;
    }
    const bool regular = ::GetFileType(file) == FILE_TYPE_DISK &&
                         (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    return FileIdentity{info.dwVolumeSerialNumber,
                        std::uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow, regular};
}

}  // namespace

std::optional<FileIdentity> IdentifyFile(const std::string& path) {
    const std::wstring full = Win32Path(PathFromName(path));
    if (full.empty()) {
        return std::nullopt;
    }
    // Attributes only: no sharing mode of another program keeps us from looking.
    const FileHandle file(::CreateFileW(
        full.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file.valid() ? Identify(file.get()) : std::nullopt;
}

std::optional<FileIdentity> IdentifyStandardInput() {
    // Pipes and consoles have no file index; only a file on disk is worth knowing.
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    if (input == INVALID_HANDLE_VALUE || input == nullptr ||
        ::GetFileType(input) != FILE_TYPE_DISK) {
        return std::nullopt;
    }
    return Identify(input);
}

}  // namespace quorrel
