#include <unistd.h>

#include <climits>
#include <string>

#include "SettingsFile.h"

namespace quorrel {

namespace {

// The system names no open file by more than PATH_MAX bytes.
std::string ExecutablePath() {
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path);
    return n < 0 ? std::string() : std::string(path, static_cast<std::size_t>(n));
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
