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

// A temporary file beside the target, named "." + target name + random suffix; a long target
// name is shortened so the temporary name still fits the directory.
struct Temporary {
    FileDescriptor fd;
    std::string path;
};

bool CreateTemporary(const std::string& directory, const std::string& targetName, Temporary& out,
                     int& error) {
    std::string stem = "." + targetName.substr(0, 200) + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = JoinPath(directory, stem + RandomSuffix() + ".tmp");
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

ReplaceResult Fail(int error) {
    return {ReplaceResult::Status::Failed, error};
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
    const std::string target = ResolveWriteTarget(path);
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT) {
        return {ReplaceResult::Status::NoTemporary, errno};
    }
    if (exists && !S_ISREG(old.st_mode)) {
        return {ReplaceResult::Status::NotRegular, 0};
    }

    const std::string directory = DirectoryOf(target);
    const auto slash = target.rfind('/');
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    Temporary temp;
    int error = 0;
    if (!CreateTemporary(directory, name, temp, error)) {
        return {ReplaceResult::Status::NoTemporary, error};
    }

    const mode_t mode = exists ? (old.st_mode & 07777) : (0666 & ~CurrentUmask());
    int failure = WriteAll(temp.fd.get(), bytes);
    if (failure == 0 && ::fchmod(temp.fd.get(), mode) != 0) {
        failure = errno;
    }
    if (failure == 0 && exists) {
        // Keep the owner where we may (as root); an ordinary user keeps their own file anyway.
        if (::fchown(temp.fd.get(), old.st_uid, old.st_gid) != 0) {
            errno = 0;
        }
    }
    if (failure == 0 && ::fsync(temp.fd.get()) != 0) {
        failure = errno;
    }
    if (const int closeError = temp.fd.Close(); failure == 0 && closeError != 0) {
        failure = closeError;
    }
    if (failure == 0 && ::rename(temp.path.c_str(), target.c_str()) != 0) {
        failure = errno;
    }
    if (failure != 0) {
        ::unlink(temp.path.c_str());
        return Fail(failure < 0 ? 0 : failure);
    }
    // Make the rename itself durable; the new contents are already on disk either way.
    if (const int dirFd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return {};
}

}  // namespace quorrel
