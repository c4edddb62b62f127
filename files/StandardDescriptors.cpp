#include "StandardDescriptors.h"

#include <fcntl.h>

#include <cerrno>

namespace quorrel {

void OpenStandardDescriptors() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            // Takes the lowest free number, `fd`. A path-only descriptor can be neither read nor
            // written, not even reopened as /dev/stdout; the root folder is there everywhere.
            ::open("/", O_PATH | O_CLOEXEC);
        }
    }
}

}  // namespace quorrel
