#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace quorrel {

// Outcome of replacing a file's contents through a temporary file and a rename.
struct ReplaceResult {
    enum class Status {
        Replaced,
        NoTemporary,  // no temporary file could be made beside the target; nothing was touched
        NotRegular,   // the target exists and is not a regular file; nothing was touched
        Failed,       // writing or renaming failed; the target is untouched, the temporary gone
    };
    Status status = Status::Replaced;
    int error = 0;  // errno (on Windows the system error code) of the failure; 0 for a short write
};

#ifdef _WIN32

// Writes `bytes` to a temporary file beside the target of `path` (links followed), flushes it
// and puts it in the target's place: ReplaceFileW over an existing file, which keeps its
// attributes and security, MoveFileExW with write-through for a new one.
ReplaceResult ReplaceFileAtomically(const std::filesystem::path& path, std::string_view bytes);

#else

// The file a write to `path` lands in: symbolic links followed, so a link stays a link.
std::string ResolveWriteTarget(const std::string& path);

// Writes `bytes` to a temporary file beside the target of `path`, syncs it and renames it over
// the target. The old file's permission bits are kept; a new file gets 0666 less the umask.
ReplaceResult ReplaceFileAtomically(const std::string& path, std::string_view bytes);

#endif

}  // namespace quorrel
