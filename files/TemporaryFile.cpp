#include "TemporaryFile.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <optional>
#include <random>
#include <string_view>
#include <utility>

#include "WriteTarget.h"

namespace quorrel {

namespace {

constexpr int kAttempts = 100;

std::string RandomSuffix() {
    static std::minstd_rand generator(static_cast<unsigned>(
        std::chrono::steady_clock::now().time_since_epoch().count() ^ ::getpid()));
    constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix(8, 'x');
    for (char& c : suffix) {
        c = kLetters[generator() % kLetters.size()];
    }
    return suffix;
}

std::string TemporaryName(const std::string& folder, const std::string& name) {
    // A long name is shortened so that the temporary name still fits the folder.
    std::string leaf = ".";
    leaf.append(name, 0, 200);
    leaf += '.';
    leaf += RandomSuffix();
    leaf += ".tmp";
    return JoinPath(folder, leaf);
}

std::string ProcName(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

// Tries `make` on fresh temporary names until one is free: the name it made a file under, or
// nothing with errno set.
template <typename Make>
std::optional<std::string> UnderFreeName(const std::string& folder, const std::string& name,
                                         Make make) {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        std::string candidate = TemporaryName(folder, name);
        if (make(candidate)) {
            return candidate;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    return std::nullopt;
}

}  // namespace

int TemporaryFile::Create(const std::string& folder, const std::string& name, int mode) {
    Remove();
    folder_ = folder;
    name_ = name;
#ifdef O_TMPFILE
    // Unnamed only where it can be named later through /proc.
    if (FileDescriptor fd(
            ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, static_cast<mode_t>(mode)));
        fd.valid() && ::access(ProcName(fd.get()).c_str(), F_OK) == 0) {
        fd_ = std::move(fd);
        return 0;
    }
#endif
    std::optional<std::string> named = UnderFreeName(folder, name, [&](const std::string& path) {
        fd_ =
            FileDescriptor(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                                  static_cast<mode_t>(mode)));
        return fd_.valid();
    });
    if (!named) {
        return errno;
    }
    path_ = std::move(*named);
    return 0;
}

int TemporaryFile::Name() {
    if (!path_.empty()) {
        return 0;
    }
    std::optional<std::string> named = UnderFreeName(folder_, name_, [&](const std::string& path) {
        return ::linkat(AT_FDCWD, ProcName(fd_.get()).c_str(), AT_FDCWD, path.c_str(),
                        AT_SYMLINK_FOLLOW) == 0;
    });
    if (!named) {
        return errno;
    }
    path_ = std::move(*named);
    return 0;
}

int TemporaryFile::RenameOver(const std::string& target) {
    if (const int error = Name(); error != 0) {
        return error;
    }
    if (::rename(path_.c_str(), target.c_str()) != 0) {
        return errno;
    }
    // The name is the target's now, not ours to remove.
    path_ = {};
    return 0;
}

int TemporaryFile::LinkAs(const std::string& path) {
    if (path_.empty()) {
        return ::linkat(AT_FDCWD, ProcName(fd_.get()).c_str(), AT_FDCWD, path.c_str(),
                        AT_SYMLINK_FOLLOW) == 0
                   ? 0
                   : errno;
    }
    if (::link(path_.c_str(), path.c_str()) != 0) {
        return errno;
    }
    ::unlink(std::exchange(path_, {}).c_str());
    return 0;
}

void TemporaryFile::Remove() {
    fd_ = {};
    if (!path_.empty()) {
        ::unlink(std::exchange(path_, {}).c_str());
    }
}

}  // namespace quorrel
