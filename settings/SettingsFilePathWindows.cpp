#include <windows.h>

#include <string>
#include <vector>

#include "FileSystemName.h"
#include "SettingsFile.h"

namespace quorrel {

namespace {

// No 260-character limit: the buffer grows until the whole path fits.
std::wstring ExecutablePath() {
    constexpr std::size_t kMaxBuffer = std::size_t{1} << 16;
    for (std::size_t size = MAX_PATH; size <= kMaxBuffer; size *= 2) {
        std::vector<wchar_t> buffer(size);
        const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(size));
        if (n == 0) {
            return {};
        }
        if (n < size) {
            return std::wstring(buffer.data(), n);
        }
    }
    return {};
}

std::string BuildSettingsFilePath() {
    const std::wstring exe = ExecutablePath();
    const std::size_t separator = exe.find_last_of(L"\\/");
    if (separator == std::wstring::npos) {
        return {};
    }
    return NameFromPath(exe.substr(0, separator + 1) + L"Quorrel.ini");
}

}  // namespace

const std::string& SettingsFilePath() {
    static const std::string path = BuildSettingsFilePath();
    return path;
}

}  // namespace quorrel
