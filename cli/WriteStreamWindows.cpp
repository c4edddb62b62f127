#include <windows.h>

#include <io.h>

#include <algorithm>

#include "FileErrorCauseWindows.h"
#include "FileHandle.h"
#include "WriteStream.h"
#include "Wtf8.h"

namespace quorrel {

namespace {

HANDLE HandleOf(int fd) {
    return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return ::GetConsoleMode(handle, &mode) != 0;
}

}  // namespace

int WriteStream(int fd, std::string_view bytes) {
    const HANDLE handle = HandleOf(fd);
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr) {
        return FileErrorCauseFromWindowsError(ERROR_INVALID_HANDLE);
    }
    DWORD error = 0;
    return WriteAll(handle, bytes, error) ? 0 : FileErrorCauseFromWindowsError(error);
}

int WriteText(int fd, std::string_view utf8) {
    const HANDLE handle = HandleOf(fd);
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr || !IsConsole(handle)) {
        return WriteStream(fd, utf8);
    }
    const std::u16string wide = Utf16FromWtf8(utf8).value_or(u"?");
    std::size_t done = 0;
    while (done < wide.size()) {
        const auto n = static_cast<DWORD>(std::min<std::size_t>(wide.size() - done, 16384));
        DWORD written = 0;
        if (!::WriteConsoleW(handle, wide.data() + done, n, &written, nullptr) || written == 0) {
            return FileErrorCauseFromWindowsError(::GetLastError());
        }
        done += written;
    }
    return 0;
}

}  // namespace quorrel
