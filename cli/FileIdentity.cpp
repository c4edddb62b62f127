#include "FileIdentity.h"

#include <sys/stat.h>

namespace quorrel {

std::optional<FileIdentity> IdentifyFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                        static_cast<std::uint64_t>(info.st_ino), S_ISREG(info.st_mode)};
}

}  // namespace quorrel
