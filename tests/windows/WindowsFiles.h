#pragma once

#include <windows.h>

#include <string>

#include "FileHandle.h"
#include "TempDir.h"

namespace quorrel::test {

// The temporary directory as a wide path, and a path below it (`name` is UTF-8).
std::wstring WideRoot(const TempDir& dir);
std::wstring WidePath(const TempDir& dir, std::string_view name);

// Opens an existing file as another program would.
FileHandle OpenElsewhere(const std::wstring& path, DWORD access, DWORD share);

// A file of `size` bytes that takes no disk space where the file system allows.
void MakeSparseFile(const std::wstring& path, long long size);

// Whole-file helpers on wide paths; they throw std::runtime_error on failure.
std::string ReadWide(const std::wstring& path);
void WriteWide(const std::wstring& path, std::string_view bytes);

}  // namespace quorrel::test
