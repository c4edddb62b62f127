#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

#include "FileHandle.h"
#include "FileSystemName.h"
#include "RunProcess.h"

namespace quorrel::test {

// Opens an existing file as another program would.
inline FileHandle OpenElsewhere(const std::string& name, DWORD access, DWORD share) {
    FileHandle file(::CreateFileW(PathFromName(name).c_str(), access, share, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        throw std::runtime_error("cannot open " + name + " elsewhere");
    }
    return file;
}

// A symbolic link `link` to `target` (relative to the link's folder), made by the system or,
// under wine, whose call makes none, by the host's ln; false where neither can.
inline bool MakeSymbolicLink(const std::string& link, const std::string& target) {
    const std::wstring path = PathFromName(link).make_preferred().native();
    if (::CreateSymbolicLinkW(path.c_str(), PathFromName(target).make_preferred().c_str(),
                              SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) &&
        ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return true;
    }
    using UnixName = char*(CDECL*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    char* host = unixName != nullptr ? unixName(path.c_str()) : nullptr;
    if (host == nullptr) {
        return false;
    }
    const std::string hostLink = host;
    ::HeapFree(::GetProcessHeap(), 0, host);
    return RunProcess("Z:\\bin\\ln", {"-s", target, hostLink}).exitCode == 0;
}

}  // namespace quorrel::test
