#include "FileSystemName.h"

#include "Wtf8.h"

namespace quorrel {

#ifdef _WIN32

std::filesystem::path PathFromName(std::string_view name) {
    const auto utf16 = Utf16FromWtf8(name);
    if (!utf16) {
        return {};  // no file has this name; opening the empty path fails
    }
    return std::filesystem::path(std::wstring(utf16->begin(), utf16->end()));
}

std::string NameFromPath(const std::filesystem::path& path) {
    const std::wstring& wide = path.native();
    return Wtf8FromUtf16(std::u16string(wide.begin(), wide.end()));
}

#else

std::filesystem::path PathFromName(std::string_view name) {
    return std::filesystem::path(std::string(name));
}

std::string NameFromPath(const std::filesystem::path& path) {
    return path.native();
}

#endif

}  // namespace quorrel
