#include <windows.h>

#include <random>
#include <stdexcept>

#include "FileHandle.h"
#include "FileSystemName.h"
#include "TempDir.h"

// Names here are WTF-8 (see FileSystemName.h); the standard library's narrow paths are not.
namespace quorrel::test {

namespace {

// Tests leave read-only files and paths past the old length limit behind, which the standard
// library's removal cannot delete; `path` carries the "\\?\" prefix.
void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW data{};
    const HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring child = path + L"\\" + name;
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                RemoveTree(child);
            } else {
                ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(child.c_str());
            }
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(path.c_str());
}

}  // namespace

TempDir::TempDir() {
    wchar_t base[MAX_PATH + 1] = {};
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, base);
    if (n == 0 || n > MAX_PATH) {
        throw std::runtime_error("GetTempPathW failed");
    }
    std::random_device seed;
    std::minstd_rand generator(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring candidate =
            std::wstring(base, n) + L"quorrel-test-" + std::to_wstring(generator());
        if (::CreateDirectoryW(candidate.c_str(), nullptr)) {
            path_ = NameFromPath(candidate);
            return;
        }
        if (::GetLastError() != ERROR_ALREADY_EXISTS) {
            break;
        }
    }
    throw std::runtime_error("cannot create a temporary directory");
}

TempDir::~TempDir() {
    RemoveTree(L"\\\\?\\" + PathFromName(path_).make_preferred().native());
}

void WriteFile(const std::string& path, std::string_view bytes) {
    const FileHandle file(::CreateFileW(PathFromName(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD error = 0;
    if (!file.valid() || !WriteAll(file.get(), bytes, error)) {
        throw std::runtime_error("cannot write " + path);
    }
}

std::string ReadFile(const std::string& path) {
    const FileHandle file(::CreateFileW(PathFromName(path).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        throw std::runtime_error("cannot read " + path);
    }
    std::string bytes;
    char buffer[65536];
    DWORD n = 0;
    while (::ReadFile(file.get(), buffer, sizeof buffer, &n, nullptr) && n > 0) {
        bytes.append(buffer, n);
    }
    return bytes;
}

bool FileExists(const std::string& path) {
    const std::wstring wide = PathFromName(path).native();
    if (::GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return true;
    }
    // Devices have no attributes but open all the same.
    return FileHandle(::CreateFileW(wide.c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr))
        .valid();
}

}  // namespace quorrel::test
