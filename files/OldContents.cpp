#include "OldContents.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "FileSave.h"
#include "WriteTarget.h"

namespace quorrel {

namespace {

constexpr int kNames = 100;

std::string TemporaryFolder() {
    const char* folder = std::getenv("TMPDIR");
    return folder != nullptr && *folder != '\0' ? folder : "/tmp";
}

int ReadAllAt(int fd, std::string& bytes) {
    char buffer[0x10000];
    for (;;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, static_cast<off_t>(bytes.size()));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return errno;
        }
        if (n == 0) {
            return 0;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
}

}  // namespace

int OldContents::Keep(int fd, const WriteTarget& target, bool onDisk) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return errno;
    }
    size_ = static_cast<std::uint64_t>(info.st_size);
    if (!onDisk) {
        inMemory_ = true;
        return ReadAllAt(fd, memory_);
    }
    // Where the folder takes no new files or has no room for them, the temporary folder may.
    if (KeepOnDisk(fd, target.folder, target.name) == 0) {
        return 0;
    }
    return KeepOnDisk(fd, TemporaryFolder(), target.name);
}

int OldContents::KeepOnDisk(int fd, const std::string& folder, const std::string& name) {
    if (const int error = copy_.Create(folder, name); error != 0) {
        return error;
    }
    int error = CopyContents(fd, copy_.fd());
    if (error == 0 && ::fsync(copy_.fd()) != 0) {
        error = errno;
    }
    for (int n = 1; error == 0 && n <= kNames; ++n) {
        std::string suffix = ".quorrel-backup";
        if (n > 1) {
            suffix += '-';
            suffix += std::to_string(n);
        }
        // A long name is shortened so that the copy's name still fits the folder.
        std::string path = JoinPath(folder, name.substr(0, NAME_MAX - suffix.size()) + suffix);
        error = copy_.LinkAs(path);
        if (error == 0) {
            copyPath_ = std::move(path);
            // The name must outlive a crash before the file itself is overwritten.
            SyncFolder(folder);
            return 0;
        }
        if (error == EEXIST) {
            error = n < kNames ? 0 : EEXIST;
        }
    }
    return error;
}

int OldContents::Restore(int fd) {
    int error = ::ftruncate(fd, static_cast<off_t>(size_)) == 0 ? 0 : errno;
    if (error == 0) {
        error = inMemory_ ? WriteAllAt(fd, memory_, 0) : CopyContents(copy_.fd(), fd);
    }
    if (error == 0 && ::fsync(fd) != 0) {
        error = errno;
    }
    if (error != 0) {
        // The named copy may be the only whole one left: it is the user's now, never dropped.
        copyPath_.clear();
    }
    Drop();
    return error;
}

void OldContents::Drop() {
    copy_.Remove();
    if (!copyPath_.empty()) {
        ::unlink(copyPath_.c_str());
        copyPath_.clear();
    }
}

}  // namespace quorrel
