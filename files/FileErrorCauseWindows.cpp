#include "FileErrorCauseWindows.h"

#include <windows.h>

#include "FileErrorCause.h"

namespace quorrel {

int FileErrorCauseFromWindowsError(std::uint32_t error) {
    switch (error) {
        case 0:
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return kFileErrorDiskFull;
        case ERROR_ACCESS_DENIED:
            return kFileErrorAccessDenied;
        case ERROR_SHARING_VIOLATION:
            return kFileErrorSharing;
        case ERROR_LOCK_VIOLATION:
            return kFileErrorLock;
        case ERROR_FILE_NOT_FOUND:
            return 2;
        case ERROR_PATH_NOT_FOUND:
            return 3;
        case ERROR_TOO_MANY_OPEN_FILES:
            return 4;
        case ERROR_INVALID_HANDLE:
            return 6;
        default:
            return kFileErrorUnknown;
    }
}

}  // namespace quorrel
