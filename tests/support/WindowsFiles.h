#pragma once

#include <windows.h>

#include <string>

#include "FileHandle.h"
#include "TempDir.h"

namespace quorrel::test {

// A path below the temporary directory (`name` is UTF-8) as Windows names it.
std::wstring WidePath(const TempDir& dir, std::string_view name);

// Opens an existing file as another program would.
FileHandle OpenElsewhere(const std::wstring& path, DWORD access, DWORD share);

// A file of `size` bytes that takes no disk space where the file system allows.
void MakeSparseFile(const std::wstring& path, long long size);

}  // namespace quorrel::test
