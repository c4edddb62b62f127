#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

#include "FileHandle.h"
#include "FileSystemName.h"

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

}  // namespace quorrel::test
