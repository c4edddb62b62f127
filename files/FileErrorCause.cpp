#include "FileErrorCause.h"

#include <cerrno>

namespace quorrel {

int FileErrorCauseFromErrno(int error) {
    if (error <= 0) {
        return kFileErrorDiskFull;
    }
    switch (error) {
        case ENOSPC:
#ifdef EDQUOT  // not on Windows
        case EDQUOT:
#endif
        case EFBIG:
            return kFileErrorDiskFull;
        case EACCES:
        case EPERM:
        case EROFS:
        case ETXTBSY:
            return kFileErrorAccessDenied;
        case EIO:
            return 10;
        case ENOENT:
            return 2;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return 3;
        case EMFILE:
        case ENFILE:
            return 4;
        case EBADF:
            return 6;
        default:
            return kFileErrorUnknown;
    }
}

}  // namespace quorrel
