#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace quorrel {

// File-system names held as narrow text (the window's path fields, the command line's
// arguments): the native bytes on POSIX, WTF-8 on Windows, whose names are UTF-16. The
// standard library's own narrow conversions on Windows depend on the code page and are
// never used for names.
std::filesystem::path PathFromName(std::string_view name);
std::string NameFromPath(const std::filesystem::path& path);

}  // namespace quorrel
