#include "StandardDescriptors.h"

#include <fcntl.h>
#include <unistd.h>

#include <initializer_list>

namespace quorrel {

void OpenStandardDescriptors() {
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(fd, F_GETFD) == -1) {
            // Takes the lowest free number, `fd`. A path-only descriptor can be neither read nor
            // written, not even reopened as /dev/stdout; the root folder is there everywhere.
            ::open("/", O_PATH | O_CLOEXEC);
        }
    }
}

}  // namespace quorrel
