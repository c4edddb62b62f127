#pragma once

#include <string>

namespace quorrel {

// The file a write to a path lands in, symbolic links followed so that a link stays a link,
// with its folder and its own name.
struct WriteTarget {
    std::string path;
    std::string folder;
    std::string name;
};

WriteTarget ResolveWriteTarget(const std::string& path);

// `folder` and `name` joined with one slash.
std::string JoinPath(const std::string& folder, const std::string& name);

}  // namespace quorrel
