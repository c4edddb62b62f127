#include "Win32Path.h"

#include <windows.h>

#include <vector>

namespace quorrel {

namespace {

// Leaves room for the 8.3 name that directory creation counts in the old limit.
constexpr std::size_t kShortLimit = MAX_PATH - 12;

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
    return text.rfind(prefix, 0) == 0;
}

std::wstring FullPath(const std::wstring& path) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD n = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()),
                                           buffer.data(), nullptr);
        if (n == 0) {
            return path;
        }
        if (n < buffer.size()) {
            return std::wstring(buffer.data(), n);
        }
        buffer.resize(n + 1);
    }
    return path;
}

}  // namespace

std::wstring Win32Path(const std::filesystem::path& path) {
    const std::wstring& given = path.native();
    if (given.empty() || StartsWith(given, L"\\\\?\\") || StartsWith(given, L"\\\\.\\")) {
        return given;
    }
    std::wstring full = FullPath(given);
    if (full.size() < kShortLimit || StartsWith(full, L"\\\\.\\") || StartsWith(full, L"\\\\?\\")) {
        return full;
    }
    if (StartsWith(full, L"\\\\")) {
        return L"\\\\?\\UNC\\" + full.substr(2);
    }
    return L"\\\\?\\" + full;
}

}  // namespace quorrel
