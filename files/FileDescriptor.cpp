#include "FileDescriptor.h"

#include <cerrno>
#include <memory>

namespace quorrel {

namespace {

// Linux moves at most about 2 GiB per call.
constexpr std::size_t kChunk = 0x40000000;  // 1 GiB

template <typename Put>
int PutAll(std::string_view bytes, Put&& put) {
    std::uint64_t done = 0;
    while (!bytes.empty()) {
        const std::size_t n = bytes.size() < kChunk ? bytes.size() : kChunk;
        const ssize_t written = put(bytes.data(), n, done);
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
        done += static_cast<std::uint64_t>(written);
    }
    return 0;
}

}  // namespace

int FileDescriptor::Close() {
    if (!valid()) {
        return 0;
    }
    const int result = ::close(fd_);
    fd_ = kClosed;
    // EINTR on close still frees the descriptor on Linux; the data may be lost, so report it.
    return result == 0 ? 0 : errno;
}

int WriteAll(int fd, std::string_view bytes) {
    return PutAll(bytes, [fd](const char* data, std::size_t n, std::uint64_t) {
        return ::write(fd, data, n);
    });
}

int WriteAllAt(int fd, std::string_view bytes, std::uint64_t offset) {
    return PutAll(bytes, [fd, offset](const char* data, std::size_t n, std::uint64_t done) {
        return ::pwrite(fd, data, n, static_cast<off_t>(offset + done));
    });
}

int CopyContents(int from, int to) {
    constexpr std::size_t kBuffer = 0x100000;  // 1 MiB
    const std::unique_ptr<char[]> buffer(new char[kBuffer]);
    for (std::uint64_t at = 0;;) {
        const ssize_t n = ::pread(from, buffer.get(), kBuffer, static_cast<off_t>(at));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (n == 0) {
            return 0;
        }
        if (const int error =
                WriteAllAt(to, std::string_view(buffer.get(), static_cast<std::size_t>(n)), at);
            error != 0) {
            return error;
        }
        at += static_cast<std::uint64_t>(n);
    }
}

}  // namespace quorrel
