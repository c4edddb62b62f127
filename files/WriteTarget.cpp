#include "WriteTarget.h"

#include <unistd.h>

#include <climits>

namespace quorrel {

namespace {

constexpr int kMaxLinks = 40;

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    // Only the root folder's name is empty before its slash.
    std::string folder = path.substr(0, slash);
    return folder.empty() ? "/" : folder;
}

std::string FollowLinks(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        // No link holds a whole PATH_MAX; those under /proc report no true size to go by.
        char target[PATH_MAX];
        const ssize_t n = ::readlink(current.c_str(), target, sizeof target);
        if (n <= 0) {
            return current;
        }
        const std::string link(target, static_cast<std::size_t>(n));
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

WriteTarget SplitPath(const std::string& path) {
    const auto slash = path.rfind('/');
    return {path, FolderOf(path), slash == std::string::npos ? path : path.substr(slash + 1)};
}

std::optional<WriteTarget> WriteTargetOf(const std::string& path, const struct stat& opened) {
    WriteTarget target = SplitPath(FollowLinks(path));
    struct stat named {};
    if (::lstat(target.path.c_str(), &named) != 0 || named.st_dev != opened.st_dev ||
        named.st_ino != opened.st_ino) {
        return std::nullopt;
    }
    return target;
}

}  // namespace quorrel
