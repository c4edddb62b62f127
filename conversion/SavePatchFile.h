#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace quorrel {

enum class SaveOutcome {
    Saved,
    CannotOpen,   // the file could not be created or opened
    WriteFailed,  // see `cause`
};

struct SaveResult {
    SaveOutcome outcome = SaveOutcome::Saved;
    int cause = 0;  // a FileErrorText cause when the write failed
};

// Writes `text` as the whole new contents of `path`. A regular file (or a new one) is replaced
// atomically, so a failed save never destroys an existing patch; a device, FIFO or similar is
// written directly.
SaveResult SavePatchFile(const std::filesystem::path& path, std::string_view text);

#ifdef _WIN32
// Narrow names have no single meaning on Windows; pass PathFromName(name).
SaveResult SavePatchFile(const std::string&, std::string_view) = delete;
SaveResult SavePatchFile(const char*, std::string_view) = delete;
#endif

}  // namespace quorrel
