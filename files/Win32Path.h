#pragma once

#include <filesystem>
#include <string>

namespace quorrel {

// `path` made absolute, in the form the wide file functions take at any length: paths that
// would pass the old 260-character limit get the "\\?\" prefix. Device names ("\\.\...") and
// paths that already carry a prefix pass unchanged; empty stays empty.
std::wstring Win32Path(const std::filesystem::path& path);

}  // namespace quorrel
