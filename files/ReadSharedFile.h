#pragma once

#include <string>

namespace quorrel {

enum class SharedRead { Read, Missing, Refused };

// Reads the whole file at `path` (a file-system name) allowing others every kind of access, so
// that a writer replacing the settings file meanwhile neither fails this read nor is held up by
// it. Devices and directories are Refused, like anything unreadable; `bytes` holds the contents
// only after Read.
SharedRead ReadSharedFile(const std::string& path, std::string& bytes);

}  // namespace quorrel
