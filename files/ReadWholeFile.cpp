#include "ReadWholeFile.h"

#include "FileDescriptor.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <new>

namespace quorrel {

LoadedFile ReadWholeFile(const std::filesystem::path& path) {
    if (path.empty()) {
        return {};
    }
    // O_NONBLOCK keeps a FIFO from holding the open; it is refused below anyway.
    const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) {
        return {};
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0 ||
        static_cast<std::uint64_t>(info.st_size) >= LoadedFile::kFailedRead) {
        return {};
    }
    const auto size = static_cast<std::size_t>(info.st_size);
    std::unique_ptr<std::uint8_t[]> bytes(new (std::nothrow) std::uint8_t[size == 0 ? 1 : size]);
    if (bytes == nullptr) {
        return {};
    }
    std::size_t delivered = 0;
    while (delivered < size) {
        const ssize_t n = ::read(fd.get(), bytes.get() + delivered, size - delivered);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return {};
        }
        if (n == 0) {
            break;  // the file shrank since its size was taken
        }
        delivered += static_cast<std::size_t>(n);
    }
    return LoadedFile::Adopt(std::move(bytes), static_cast<std::uint32_t>(delivered));
}

}  // namespace quorrel
