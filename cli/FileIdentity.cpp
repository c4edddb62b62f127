#include "FileIdentity.h"

#include <sys/stat.h>

namespace quorrel {

namespace {

FileIdentity IdentityOf(const struct stat& info) {
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                        static_cast<std::uint64_t>(info.st_ino), S_ISREG(info.st_mode)};
}

}  // namespace

std::optional<FileIdentity> IdentifyFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return IdentityOf(info);
}

std::optional<FileIdentity> IdentifyStandardInput() {
    struct stat info {};
    if (::fstat(0, &info) != 0) {
        return std::nullopt;
    }
    return IdentityOf(info);
}

bool SameFileName(const std::filesystem::path& a, const std::filesystem::path& b) {
    return a == b;
}

}  // namespace quorrel
