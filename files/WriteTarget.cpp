#include "WriteTarget.h"

#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace quorrel {

namespace {

constexpr int kMaxLinks = 40;

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string FollowLinks(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return current;
        }
        std::vector<char> buffer(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) +
                                 1);
        const ssize_t n = ::readlink(current.c_str(), buffer.data(), buffer.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size()) {
            return current;
        }
        std::string link(buffer.data(), static_cast<std::size_t>(n));
        current = link.front() == '/' ? link : JoinPath(FolderOf(current), link);
    }
    return current;
}

}  // namespace

std::string JoinPath(const std::string& folder, const std::string& name) {
    std::string joined = folder;
    if (joined.empty() || joined.back() != '/') {
        joined += '/';
    }
    joined += name;
    return joined;
}

WriteTarget ResolveWriteTarget(const std::string& path) {
    WriteTarget target;
    target.path = FollowLinks(path);
    target.folder = FolderOf(target.path);
    const auto slash = target.path.rfind('/');
    target.name = slash == std::string::npos ? target.path : target.path.substr(slash + 1);
    return target;
}

}  // namespace quorrel
