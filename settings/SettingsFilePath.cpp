#include <unistd.h>

#include <string>
#include <vector>

#include "SettingsFile.h"

namespace quorrel {

namespace {

// Paths have no fixed limit here; the buffer grows until the link fits.
std::string ExecutablePath() {
    constexpr std::size_t kMaxBuffer = std::size_t{1} << 20;
    for (std::size_t size = 256; size <= kMaxBuffer; size *= 2) {
        std::vector<char> buffer(size);
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) {
            return {};
        }
        if (static_cast<std::size_t>(n) < buffer.size()) {
            return std::string(buffer.data(), static_cast<std::size_t>(n));
        }
    }
    return {};
}

std::string BuildSettingsFilePath() {
    const std::string exe = ExecutablePath();
    const std::size_t slash = exe.rfind('/');
    if (slash == std::string::npos) {
        return {};
    }
    return exe.substr(0, slash + 1) + "Quorrel.ini";
}

}  // namespace

const std::string& SettingsFilePath() {
    static const std::string path = BuildSettingsFilePath();
    return path;
}

}  // namespace quorrel
