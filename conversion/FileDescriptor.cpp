#include "FileDescriptor.h"

#include <cerrno>

namespace quorrel {

int FileDescriptor::Close() {
    if (fd_ < 0) {
        return 0;
    }
    const int result = ::close(fd_);
    fd_ = -1;
    // EINTR on close still frees the descriptor on Linux; the data may be lost, so report it.
    return result == 0 ? 0 : errno;
}

int WriteAll(int fd, std::string_view bytes) {
    // Linux moves at most about 2 GiB per call.
    constexpr std::size_t kChunk = std::size_t{1} << 30;
    while (!bytes.empty()) {
        const std::size_t n = bytes.size() < kChunk ? bytes.size() : kChunk;
        const ssize_t written = ::write(fd, bytes.data(), n);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (written == 0) {
            return -1;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

}  // namespace quorrel
