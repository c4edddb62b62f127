#include "WriteStream.h"

#include "FileDescriptor.h"
#include "FileErrorCause.h"

namespace quorrel {

int WriteStream(int fd, std::string_view bytes) {
    const int error = WriteAll(fd, bytes);
    if (error == 0) {
        return 0;
    }
    // Nothing stored and no error given reads as a full disk, like any short write.
    return FileErrorCauseFromErrno(error);
}

int WriteText(int fd, std::string_view utf8) {
    return WriteStream(fd, utf8);
}

}  // namespace quorrel
