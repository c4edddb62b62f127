#include "InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

namespace quorrel {

InputFile::InputFile(const std::filesystem::path& path) {
    if (path.empty()) {
        return;
    }
    // O_NONBLOCK keeps a FIFO from holding the open; it is refused below anyway.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat info {};
    if (!fd.valid() || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_size < 0) {
        return;
    }
    file_ = std::move(fd);
    size_ = static_cast<std::uint64_t>(info.st_size);
}

bool InputFile::open() const {
    return file_.valid();
}

std::int64_t InputFile::ReadAt(std::uint64_t offset, void* out, std::size_t n) const {
    // Linux moves at most about 2 GiB per call.
    constexpr std::size_t kChunk = 0x40000000;  // 1 GiB
    std::size_t done = 0;
    while (done < n) {
        const std::size_t want = std::min(n - done, kChunk);
        const ssize_t got = ::pread(file_.get(), static_cast<char*>(out) + done, want,
                                    static_cast<off_t>(offset + done));
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return -1;
        }
        if (got == 0) {
            break;  // the file ends here, or shrank since it was opened
        }
        done += static_cast<std::size_t>(got);
    }
    return static_cast<std::int64_t>(done);
}

}  // namespace quorrel
