#include "WriteStream.h"

#include <unistd.h>

#include <cerrno>

#include "FileErrorText.h"

namespace quorrel {

int WriteStream(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return FileErrorCauseFromErrno(errno);
        }
        if (written == 0) {
            return kFileErrorDiskFull;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

}  // namespace quorrel
