#include "TempDir.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "FileSystemName.h"

#ifdef _WIN32
#include <windows.h>

#include "FileHandle.h"
#endif

// Names here are WTF-8 (see FileSystemName.h): on Windows the narrow paths of the standard
// library are not, so every path goes through PathFromName.
namespace quorrel::test {

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
// Tests leave read-only files and paths past the old length limit behind, which neither the
// standard library's removal nor its listing reach; `path` carries the "\\?\" prefix.
void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW data{};
    const HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &data);
    for (bool more = find != INVALID_HANDLE_VALUE; more; more = ::FindNextFileW(find, &data)) {
        const std::wstring name = data.cFileName, child = path + L"\\" + name;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileW(child.c_str());
        } else if (name != L"." && name != L"..") {
            RemoveTree(child);
        }
    }
    ::FindClose(find);
    ::RemoveDirectoryW(path.c_str());
}
#endif

}  // namespace

TempDir::TempDir() {
    std::minstd_rand generator(std::random_device{}());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate =
            fs::temp_directory_path() / ("quorrel-test-" + std::to_string(generator()));
        if (fs::create_directory(candidate)) {
            path_ = NameFromPath(candidate);
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary directory");
}

TempDir::~TempDir() {
#ifdef _WIN32
    RemoveTree(L"\\\\?\\" + PathFromName(path_).make_preferred().native());
#else
    std::error_code ignored;
    // Tests may leave read-only directories behind; make them removable first.
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
#endif
}

void WriteFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(PathFromName(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(PathFromName(path), std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return std::move(bytes).str();
}

std::vector<std::string> ListDirectory(const std::string& path) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(PathFromName(path))) {
        names.push_back(NameFromPath(entry.path().filename()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool FileExists(const std::string& path) {
#ifdef _WIN32
    const std::wstring wide = PathFromName(path).native();
    // Devices have no attributes but open all the same.
    return ::GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES ||
           FileHandle(::CreateFileW(wide.c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr))
               .valid();
#else
    std::error_code ignored;
    return fs::symlink_status(path, ignored).type() != fs::file_type::not_found;
#endif
}

}  // namespace quorrel::test
