#pragma once

#include <sys/stat.h>

#include <optional>
#include <string>

namespace quorrel {

// A file's name as a folder and the name in it, for a save that renames a new file over it.
struct WriteTarget {
    std::string path;
    std::string folder;
    std::string name;
};

// `path` itself, links not followed.
WriteTarget SplitPath(const std::string& path);

// Where the file `opened`, opened through `path`, is named: the links at the end of `path`
// followed by hand, so that a link stays a link. Nothing unless that name holds this very file.
std::optional<WriteTarget> WriteTargetOf(const std::string& path, const struct stat& opened);

// `folder` and `name` joined with one slash.
std::string JoinPath(const std::string& folder, const std::string& name);

}  // namespace quorrel
