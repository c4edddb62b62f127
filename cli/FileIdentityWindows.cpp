#include <windows.h>

#include "FileHandle.h"
#include "FileIdentity.h"
#include "FileSystemName.h"
#include "Win32Path.h"

namespace quorrel {

namespace {

std::optional<FileIdentity> IdentityOf(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info)) {
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
    return file.valid() ? IdentityOf(file.get()) : std::nullopt;
}

std::optional<FileIdentity> IdentifyStandardInput() {
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    if (input == INVALID_HANDLE_VALUE || input == nullptr ||
        ::GetFileType(input) != FILE_TYPE_DISK) {
        return std::nullopt;
    }
    return IdentityOf(input);
}

// The file systems Windows ships fold letter case by the system's own table, which the ordinary
// comparison ignoring case uses too.
bool SameFileName(const std::filesystem::path& a, const std::filesystem::path& b) {
    const std::wstring& x = a.native();
    const std::wstring& y = b.native();
    return ::CompareStringOrdinal(x.data(), static_cast<int>(x.size()), y.data(),
                                  static_cast<int>(y.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace quorrel
