#include "AtomicReplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <random>
#include <vector>

#include "FileDescriptor.h"

namespace quorrel {

namespace {

constexpr int kMaxLinks = 40;

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string JoinPath(const std::string& directory, const std::string& name) {
    return directory == "/" ? "/" + name : directory + "/" + name;
}

mode_t CurrentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

std::string RandomSuffix() {
    static std::minstd_rand generator(static_cast<unsigned>(
        std::chrono::steady_clock::now().time_since_epoch().count() ^ ::getpid()));
    constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix(8, 'x');
    for (char& c : suffix) {
        c = kLetters[generator() % (sizeof kLetters - 1)];
    }
    return suffix;
}

// The temporary file beside the target. Where the system allows, it has no name until just
// before the rename, so a kill while it is written leaves nothing behind.
struct Temporary {
    FileDescriptor fd;
    std::string path;  // empty while unnamed
};

std::string TemporaryName(const std::string& directory, const std::string& targetName) {
    // A long target name is shortened so the temporary name still fits the directory.
    return JoinPath(directory, "." + targetName.substr(0, 200) + "." + RandomSuffix() + ".tmp");
}

bool CreateUnnamed(const std::string& directory, Temporary& out) {
#ifdef O_TMPFILE
    const int fd = ::open(directory.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0) {
        out.fd = FileDescriptor(fd);
        out.path.clear();
        return true;
    }
#endif
    static_cast<void>(directory);
    static_cast<void>(out);
    return false;
}

bool CreateNamed(const std::string& directory, const std::string& targetName, Temporary& out,
                 int& error) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = TemporaryName(directory, targetName);
        const int fd =
            ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd >= 0) {
            out.fd = FileDescriptor(fd);
            out.path = std::move(candidate);
            return true;
        }
        if (errno != EEXIST) {
            error = errno;
            return false;
        }
    }
    error = EEXIST;
    return false;
}

// Gives an unnamed temporary its name, so that it can be renamed over the target.
bool NameUnnamed(const std::string& directory, const std::string& targetName, Temporary& temp) {
    const std::string self = "/proc/self/fd/" + std::to_string(temp.fd.get());
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = TemporaryName(directory, targetName);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, candidate.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            temp.path = std::move(candidate);
            return true;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    return false;
}

struct Target {
    std::string path;
    std::string directory;
    std::string name;
    bool exists = false;
    struct stat old {};
};

enum class Written { Done, Failed, CannotName };

// Fills the temporary, gives it the target's mode and owner, syncs it, names it if it has no
// name yet and renames it over the target. On failure the temporary is gone.
Written WriteAndRename(const Target& target, Temporary& temp, std::string_view bytes,
                       int& failure) {
    const mode_t mode = target.exists ? (target.old.st_mode & 07777) : (0666 & ~CurrentUmask());
    failure = WriteAll(temp.fd.get(), bytes);
    if (failure == 0 && ::fchmod(temp.fd.get(), mode) != 0) {
        failure = errno;
    }
    if (failure == 0 && target.exists) {
        // Keep the owner where we may (as root); an ordinary user keeps their own file anyway.
        static_cast<void>(::fchown(temp.fd.get(), target.old.st_uid, target.old.st_gid));
    }
    if (failure == 0 && ::fsync(temp.fd.get()) != 0) {
        failure = errno;
    }
    if (failure == 0 && temp.path.empty() && !NameUnnamed(target.directory, target.name, temp)) {
        return Written::CannotName;
    }
    if (const int closeError = temp.fd.Close(); failure == 0 && closeError != 0) {
        failure = closeError;
    }
    if (failure == 0 && ::rename(temp.path.c_str(), target.path.c_str()) != 0) {
        failure = errno;
    }
    if (failure != 0) {
        if (!temp.path.empty()) {
            ::unlink(temp.path.c_str());
        }
        if (failure < 0) {
            failure = 0;  // a short write
        }
        return Written::Failed;
    }
    return Written::Done;
}

}  // namespace

std::string ResolveWriteTarget(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return current;
        }
        std::vector<char> buffer(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) +
                                 1);
        const ssize_t n = ::readlink(current.c_str(), buffer.data(), buffer.size());
        if (n < 0 || static_cast<std::size_t>(n) >= buffer.size()) {
            return current;
        }
        std::string link(buffer.data(), static_cast<std::size_t>(n));
        current = link.front() == '/' ? link : JoinPath(DirectoryOf(current), link);
    }
    return current;
}

ReplaceResult ReplaceFileAtomically(const std::string& path, std::string_view bytes) {
    Target target;
    target.path = ResolveWriteTarget(path);
    target.exists = ::stat(target.path.c_str(), &target.old) == 0;
    if (!target.exists && errno != ENOENT) {
        return {ReplaceResult::Status::NoTemporary, errno};
    }
    if (target.exists && !S_ISREG(target.old.st_mode)) {
        return {ReplaceResult::Status::NotRegular, 0};
    }
    target.directory = DirectoryOf(target.path);
    const auto slash = target.path.rfind('/');
    target.name = slash == std::string::npos ? target.path : target.path.substr(slash + 1);

    Temporary temp;
    int failure = 0;
    Written written = Written::CannotName;
    if (CreateUnnamed(target.directory, temp)) {
        written = WriteAndRename(target, temp, bytes, failure);
    }
    if (written == Written::CannotName) {
        // No unnamed files here (or no /proc to name one by): a named temporary instead.
        temp = Temporary{};
        if (!CreateNamed(target.directory, target.name, temp, failure)) {
            return {ReplaceResult::Status::NoTemporary, failure};
        }
        written = WriteAndRename(target, temp, bytes, failure);
    }
    if (written != Written::Done) {
        return {ReplaceResult::Status::Failed, failure};
    }
    // Make the rename itself durable; the new contents are already on disk either way.
    if (const int dirFd = ::open(target.directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return {};
}

}  // namespace quorrel
