#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quorrel {

// Given the file's current bytes, the bytes it should hold, or nothing to leave it alone.
using FileEdit = std::function<std::optional<std::string>(std::string_view current)>;

// Read-modify-write of the file at `path` under an exclusive lock on it, so that writers in other
// processes neither lose each other's changes nor leave a half-written file. A missing file is
// created (and removed again when nothing is written to it); symbolic links are written through.
// A file that cannot be read whole, or is not a regular file, is left untouched. Returns whether
// the file now holds the edit (true also when the edit asked for no change).
bool UpdateFileUnderLock(const std::string& path, const FileEdit& edit);

}  // namespace quorrel
