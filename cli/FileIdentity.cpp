#include "FileIdentity.h"

#include <sys/stat.h>

namespace quorrel {

namespace {

std::optional<FileIdentity> Identity(int rc, const struct stat& info) {
    if (rc != 0) {
        return std::nullopt;
    }
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                        static_cast<std::uint64_t>(info.st_ino), S_ISREG(info.st_mode)};
}

}  // namespace

std::optional<FileIdentity> IdentifyFile(const std::string& path) {
    struct stat info {};
    return Identity(::stat(path.c_str(), &info), info);
}

std::optional<FileIdentity> IdentifyStandardInput() {
    struct stat info {};
    return Identity(::fstat(0, &info), info);
}

}  // namespace quorrel
