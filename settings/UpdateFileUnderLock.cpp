#include "UpdateFileUnderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "FileDescriptor.h"
#include "FileSave.h"
#include "WriteTarget.h"

namespace quorrel {

namespace {

// A writer that replaced the file between our open and our lock sends us round again; this
// bounds the rounds should something keep replacing it.
constexpr int kMaxAttempts = 100;
// What ReadWholeFile would still read.
constexpr std::uint64_t kMaxBytes = 0xFFFFFFFEu;

int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
    int fd;
    do {
        fd = ::open(path, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

enum class Opened { Existing, Created, Raced, Failed };

// O_NONBLOCK so that a FIFO in the file's place cannot hang us; it is refused once opened.
Opened OpenForLock(const std::string& path, int& fd) {
    constexpr int kFlags = O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    fd = OpenRetrying(path.c_str(), kFlags);
    if (fd >= 0) {
        return Opened::Existing;
    }
    if (errno != ENOENT) {
        // A file the user made read-only is left as it is, though a rename could replace it.
        return Opened::Failed;
    }
    fd = OpenRetrying(path.c_str(), kFlags | O_CREAT | O_EXCL, 0666);
    if (fd >= 0) {
        return Opened::Created;
    }
    const int error = errno;
    struct stat entry {};
    if (error != EEXIST || ::lstat(path.c_str(), &entry) != 0 || !S_ISLNK(entry.st_mode)) {
        return error == EEXIST ? Opened::Raced : Opened::Failed;
    }
    // A dangling link: its target is created as a plain write creates it, under the same rules.
    fd = OpenRetrying(path.c_str(), kFlags | O_CREAT, 0666);
    return fd >= 0 ? Opened::Created : Opened::Failed;
}

bool LockExclusive(int fd) {
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

std::optional<std::string> ReadAll(int fd) {
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, static_cast<off_t>(bytes.size()));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return std::nullopt;
        }
        if (n == 0) {
            return bytes;
        }
        if (bytes.size() + static_cast<std::uint64_t>(n) > kMaxBytes) {
            return std::nullopt;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

enum class Round { Done, Failed, Retry };

Round TryOnce(const std::string& path, const FileEdit& edit) {
    int raw = -1;
    const Opened opened = OpenForLock(path, raw);
    if (opened == Opened::Raced) {
        return Round::Retry;
    }
    if (opened == Opened::Failed) {
        return Round::Failed;
    }
    const FileDescriptor fd(raw);
    // Our own new file goes again unless it ends up holding the edit, but only once the lock
    // shows it is still the one at `path`: until then another writer may have replaced it.
    bool keep = true;
    const auto finish = [&](Round round) {
        struct stat mine {};
        if (!keep && ::fstat(fd.get(), &mine) == 0) {
            if (const auto target = WriteTargetOf(path, mine)) {
                ::unlink(target->path.c_str());
            }
        }
        return round;
    };
    if (!LockExclusive(fd.get())) {
        return finish(Round::Failed);
    }
    struct stat locked {};
    struct stat current {};
    if (::fstat(fd.get(), &locked) != 0 || !S_ISREG(locked.st_mode)) {
        return finish(Round::Failed);
    }
    if (::stat(path.c_str(), &current) != 0 || !SameFile(locked, current)) {
        // Replaced or removed while we waited for the lock: what we hold is stale.
        return Round::Retry;
    }
    keep = opened != Opened::Created;
    const std::optional<std::string> before = ReadAll(fd.get());
    if (!before) {
        return finish(Round::Failed);
    }
    const std::optional<std::string> after = edit(*before);
    if (!after || *after == *before) {
        return finish(Round::Done);
    }
    // Replaced or, where a replacement would lose the file's links, owner or attributes or the
    // folder takes no new files, rewritten in place: a few hundred bytes in one write.
    FileSave save(path, FileSave::Options{.copyOnDisk = false});
    save.Write(*after);
    if (!save.Commit().saved()) {
        return finish(Round::Failed);
    }
    return Round::Done;
}

}  // namespace

bool UpdateFileUnderLock(const std::string& path, const FileEdit& edit) {
    if (path.empty()) {
        return false;
    }
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        const Round round = TryOnce(path, edit);
        if (round != Round::Retry) {
            return round == Round::Done;
        }
    }
    return false;
}

}  // namespace quorrel
