#pragma once

#include <filesystem>
#include <string>

#include "LoadedFile.h"

namespace quorrel {

// Reads a regular file whole. Anything that is not a regular file (a directory, FIFO, socket or
// device), a file of 0xFFFFFFFF bytes or more, and any system failure give a failed read.
// Opening never blocks. Fewer bytes than the size taken is no failure. Paths are the file
// system's own names, never converted.
LoadedFile ReadWholeFile(const std::filesystem::path& path);

#ifdef _WIN32
// Narrow names have no single meaning on Windows; pass PathFromName(name).
LoadedFile ReadWholeFile(const std::string&) = delete;
LoadedFile ReadWholeFile(const char*) = delete;
#endif

}  // namespace quorrel
