#include "OutputGuard.h"

#include <sys/stat.h>

#include <algorithm>

namespace quorrel {

void OutputGuard::Protect(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        files_.emplace_back(info.st_dev, info.st_ino);
    }
}

bool OutputGuard::Covers(const std::string& path) const {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return false;
    }
    return std::find(files_.begin(), files_.end(), std::pair(info.st_dev, info.st_ino)) !=
           files_.end();
}

}  // namespace quorrel
