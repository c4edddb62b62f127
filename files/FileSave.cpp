#include "FileSave.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/limits.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <optional>
#include <vector>

#include "FileDescriptor.h"
#include "FileErrorCause.h"
#include "InputFile.h"
#include "OldContents.h"
#include "TemporaryFile.h"
#include "WriteTarget.h"

namespace quorrel {

namespace {

// Written bytes are handed to the disk in steps of this size while the rest is still being
// made, so that the final sync has little left to do.
constexpr std::uint64_t kWriteBehind = std::uint64_t{8} << 20;
// Copies go to the kernel in steps that leave the write-behind something to do meanwhile.
constexpr std::uint64_t kCopyStep = kWriteBehind;
constexpr std::size_t kCopyBuffer = std::size_t{1} << 20;

// As a plain write opens (O_CREAT without O_EXCL), so that the kernel's rules on links and on
// other users' files in sticky folders apply; never waiting for a FIFO's reader.
constexpr int kOpenFlags = O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
// What a plain create asks for; the umask or the folder's default access list takes from it.
constexpr mode_t kNewFileMode = 0666;

// The names of the extended attributes `fd` has; nothing when they cannot be listed.
std::optional<std::vector<std::string>> AttributeNames(int fd) {
    const ssize_t size = ::flistxattr(fd, nullptr, 0);
    if (size < 0) {
        return errno == ENOTSUP ? std::optional(std::vector<std::string>()) : std::nullopt;
    }
    std::string list(static_cast<std::size_t>(size), '\0');
    const ssize_t got = ::flistxattr(fd, list.data(), list.size());
    if (got < 0) {
        return std::nullopt;
    }
    std::vector<std::string> names;
    for (std::size_t at = 0; at < static_cast<std::size_t>(got); at += names.back().size() + 1) {
        names.emplace_back(list.c_str() + at);
    }
    return names;
}

// `to` is given exactly the extended attributes (access lists among them) of `from`, none of
// those it inherited from its folder; false when that cannot be done.
bool CopyExtendedAttributes(int from, int to) {
    const auto wanted = AttributeNames(from);
    const auto inherited = AttributeNames(to);
    if (!wanted || !inherited) {
        return false;
    }
    for (const std::string& name : *inherited) {
        // What cannot be removed shows in the comparison below.
        ::fremovexattr(to, name.c_str());
    }
    std::vector<char> value(XATTR_SIZE_MAX);
    for (const std::string& name : *wanted) {
        const ssize_t n = ::fgetxattr(from, name.c_str(), value.data(), value.size());
        if (n < 0 || ::fsetxattr(to, name.c_str(), value.data(), static_cast<std::size_t>(n),
                                 XATTR_CREATE) != 0) {
            return false;
        }
    }
    const auto now = AttributeNames(to);
    return now && std::is_permutation(now->begin(), now->end(), wanted->begin(), wanted->end());
}

// Whether the temporary can stand in for the target: the same owner and group (given where
// allowed), the same extended attributes, the same mode where the file system keeps modes.
bool TakesOverAttributes(int target, const struct stat& old, int temp) {
    struct stat made {};
    if (::fstat(temp, &made) != 0) {
        return false;
    }
    if ((made.st_uid != old.st_uid || made.st_gid != old.st_gid) &&
        ::fchown(temp, old.st_uid, old.st_gid) != 0) {
        return false;
    }
    if (!CopyExtendedAttributes(target, temp)) {
        return false;
    }
    // Refused on file systems without modes; every file there has the same one anyway.
    static_cast<void>(::fchmod(temp, old.st_mode & 07777));
    return true;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A socket opens by no name, not even /proc/self/fd/N: a descriptor of it this process holds is
// duplicated instead.
int DuplicateHeld(const struct stat& socket) {
    DIR* held = ::opendir("/proc/self/fd");
    int copy = -1;
    for (const dirent* entry; copy == -1 && held != nullptr && (entry = ::readdir(held));) {
        struct stat info {};
        const int fd = std::atoi(entry->d_name);
        if (::fstat(fd, &info) == 0 && SameFile(info, socket)) {
            copy = ::fcntl(fd, F_DUPFD_CLOEXEC, fd);
        }
    }
    if (held != nullptr) {
        ::closedir(held);
    }
    errno = ENXIO;
    return copy;
}

}  // namespace

class FileSave::Impl {
  public:
    Impl(const std::filesystem::path& path, Options options)
        : target_(SplitPath(path.native())), options_(options) {
        struct stat entry {};
        struct stat info {};
        if (::lstat(target_.path.c_str(), &entry) != 0) {
            if (errno == ENOENT) {
                BeginNew();
            } else {
                Fail(SaveOutcome::CannotOpen, errno);
            }
        } else if (::stat(target_.path.c_str(), &info) == 0) {
            if (S_ISREG(info.st_mode)) {
                BeginExisting(false);
            } else {
                BeginStream(info);
            }
        } else if (errno == ENOENT && S_ISLNK(entry.st_mode)) {
            // A dangling link: the open creates its target where a plain write would.
            BeginExisting(true);
        } else {
            Fail(SaveOutcome::CannotOpen, errno);
        }
    }

    ~Impl() { Abandon(); }

    const SaveResult& result() const { return result_; }
    const WriteTarget& target() const { return target_; }

    void Write(std::string_view bytes) {
        if (!result_.saved() || bytes.empty()) {
            return;
        }
        const int fd = road_ == Road::Rename ? temp_.fd() : file_.get();
        touched_ = touched_ || road_ == Road::InPlace;
        const int error =
            road_ == Road::InPlace ? WriteAllAt(fd, bytes, written_) : WriteAll(fd, bytes);
        if (error != 0) {
            Fail(SaveOutcome::WriteFailed, error);
            return;
        }
        Wrote(bytes.size());
    }

    std::uint64_t CopyFrom(const InputFile& source, std::uint64_t offset, std::uint64_t n) {
        std::uint64_t copied = 0;
        // Refused between devices and pipes, within one file, across file systems on older
        // kernels, and on a failed read or write alike: the copy through a buffer below then
        // tells which, and stops where it must.
        while (road_ != Road::Direct && result_.saved() && copied < n) {
            auto from = static_cast<off_t>(offset + copied);
            auto to = static_cast<off_t>(written_);
            touched_ = touched_ || road_ == Road::InPlace;
            // A temporary is written front to back at its own file position, as Write does.
            const ssize_t got = ::copy_file_range(
                source.fd(), &from, road_ == Road::Rename ? temp_.fd() : file_.get(),
                road_ == Road::InPlace ? &to : nullptr,
                static_cast<std::size_t>(std::min<std::uint64_t>(n - copied, kCopyStep)), 0);
            if (got <= 0) {
                if (got < 0 && errno == EINTR) {
                    continue;
                }
                break;
            }
            copied += static_cast<std::uint64_t>(got);
            Wrote(static_cast<std::uint64_t>(got));
        }
        std::unique_ptr<char[]> buffer;
        while (result_.saved() && copied < n) {
            const auto want =
                static_cast<std::size_t>(std::min<std::uint64_t>(n - copied, kCopyBuffer));
            if (buffer == nullptr) {
                buffer.reset(new char[kCopyBuffer]);
            }
            const std::int64_t got = source.ReadAt(offset + copied, buffer.get(), want);
            if (got <= 0) {
                break;
            }
            Write(std::string_view(buffer.get(), static_cast<std::size_t>(got)));
            copied += result_.saved() ? static_cast<std::uint64_t>(got) : 0;
        }
        return copied;
    }

    bool CanWriteAt() const { return road_ != Road::Direct; }

    void WriteAt(std::uint64_t offset, std::string_view bytes) {
        if (!result_.saved() || bytes.empty()) {
            return;
        }
        if (!CanWriteAt() || offset + bytes.size() > written_) {
            Fail(SaveOutcome::WriteFailed, EINVAL);
            return;
        }
        touched_ = touched_ || road_ == Road::InPlace;
        const int fd = road_ == Road::Rename ? temp_.fd() : file_.get();
        if (const int error = WriteAllAt(fd, bytes, offset); error != 0) {
            Fail(SaveOutcome::WriteFailed, error);
        }
    }

    void StartFlush() {
#ifdef SYNC_FILE_RANGE_WRITE
        if (result_.saved() && road_ != Road::Direct && written_ > handedOver_) {
            ::sync_file_range(road_ == Road::Rename ? temp_.fd() : file_.get(),
                              static_cast<off_t>(handedOver_),
                              static_cast<off_t>(written_ - handedOver_), SYNC_FILE_RANGE_WRITE);
            handedOver_ = written_;
        }
#endif
    }

    void Flush() {
        if (!result_.saved() || flushed_) {
            return;
        }
        flushed_ = true;
        switch (road_) {
            case Road::Rename:
                Check(::fsync(temp_.fd()));
                break;
            case Road::InPlace:
                touched_ = true;
                Check(::ftruncate(file_.get(), static_cast<off_t>(written_)));
                Check(::fsync(file_.get()));
                break;
            case Road::Direct:
                // Streams have nothing to sync; a file made here in place of a temporary has.
                if (created_) {
                    Check(::fsync(file_.get()));
                }
                break;
        }
    }

    SaveResult Commit(bool syncFolder) {
        Flush();
        if (result_.saved() && road_ == Road::Rename) {
            const int error = temp_.RenameOver(target_.path);
            if (error == EBUSY || error == EXDEV) {
                MoveInPlace();
            } else if (error != 0) {
                Fail(SaveOutcome::WriteFailed, error);
            }
        }
        // Written in place, the contents are on disk once synced; a device may report a late
        // failure only when closed.
        if (result_.saved() && road_ == Road::Direct) {
            if (const int error = file_.Close(); error != 0) {
                Fail(SaveOutcome::WriteFailed, error);
            }
        }
        if (!result_.saved()) {
            Abandon();
            return result_;
        }
        old_.Drop();
        temp_.Remove();  // it has the target's name now; only its descriptor goes
        file_ = {};
        if (syncFolder && (road_ == Road::Rename || created_)) {
            SyncFolder(target_.folder);
        }
        return result_;
    }

  private:
    enum class Road { Rename, InPlace, Direct };

    void Wrote(std::uint64_t n) {
        written_ += n;
        if (written_ - handedOver_ >= kWriteBehind) {
            StartFlush();
        }
    }

    void Fail(SaveOutcome outcome, int error) {
        if (result_.saved()) {
            result_ = {outcome, FileErrorCauseFromErrno(error)};
        }
    }

    void Check(int rc) {
        if (rc != 0) {
            Fail(SaveOutcome::WriteFailed, errno);
        }
    }

    bool Open(int flags) {
        file_ = FileDescriptor(::open(target_.path.c_str(), flags | kOpenFlags, kNewFileMode));
        if (!file_.valid()) {
            Fail(SaveOutcome::CannotOpen, errno);
        }
        return file_.valid();
    }

    // What was opened, if it is the kind of file the path named when it was looked at; something
    // put in its place since is refused.
    std::optional<struct stat> Opened(bool regular) {
        struct stat info {};
        // Zeroed, what cannot be looked at reads as no regular file.
        static_cast<void>(::fstat(file_.get(), &info));
        if (S_ISREG(info.st_mode) == regular) {
            return info;
        }
        Fail(SaveOutcome::CannotOpen, EINVAL);
        return std::nullopt;
    }

    void BeginNew() {
        // Made as a plain create makes a file: the umask or the folder's default access list
        // sets its mode.
        if (temp_.Create(target_.folder, target_.name, kNewFileMode) == 0) {
            road_ = Road::Rename;
            return;
        }
        // No temporary here; the new file itself is written and removed again on failure.
        created_ = Open(O_RDWR | O_EXCL);
        road_ = Road::Direct;
    }

    // Devices, pipes and sockets take the bytes as they come; a FIFO without a reader is refused
    // rather than waited for.
    void BeginStream(const struct stat& info) {
        road_ = Road::Direct;
        file_ = FileDescriptor(::open(target_.path.c_str(), O_WRONLY | kOpenFlags, kNewFileMode));
        if (file_.valid()) {
            // Once open, writes wait for a slow reader.
            ::fcntl(file_.get(), F_SETFL, ::fcntl(file_.get(), F_GETFL) & ~O_NONBLOCK);
        } else if (errno == ENXIO && S_ISSOCK(info.st_mode)) {
            file_ = FileDescriptor(DuplicateHeld(info));
        }
        if (!file_.valid()) {
            Fail(SaveOutcome::CannotOpen, errno);
            return;
        }
        // A regular file put in its place since it was looked at would be written over.
        static_cast<void>(Opened(false));
    }

    // The target is opened through the path as given, for reading and writing; the open neither
    // empties it nor waits.
    void BeginExisting(bool creating) {
        if (!Open(O_RDWR)) {
            return;
        }
        created_ = creating;
        const std::optional<struct stat> old = Opened(true);
        if (!old) {
            return;
        }
        // The rename goes by a name found by hand, so it must name the file the kernel opened.
        std::optional<WriteTarget> named = WriteTargetOf(target_.path, *old);
        if (!named) {
            Fail(SaveOutcome::CannotOpen, EACCES);
            return;
        }
        target_ = std::move(*named);
        if (old->st_nlink == 1 && temp_.Create(target_.folder, target_.name) == 0 &&
            TakesOverAttributes(file_.get(), *old, temp_.fd())) {
            road_ = Road::Rename;
            return;
        }
        temp_.Remove();
        BeginInPlace();
    }

    void BeginInPlace() {
        road_ = Road::InPlace;
        if (const int error = old_.Keep(file_.get(), target_, options_.copyOnDisk && !created_);
            error != 0) {
            Fail(SaveOutcome::WriteFailed, error);
        }
    }

    // A file mounted on its own, as containers mount single files, cannot be renamed over: the
    // new contents are copied into it instead.
    void MoveInPlace() {
        BeginInPlace();
        if (!result_.saved()) {
            return;
        }
        touched_ = true;
        if (const int error = CopyContents(temp_.fd(), file_.get()); error != 0) {
            Fail(SaveOutcome::WriteFailed, error);
        }
        temp_.Remove();
        flushed_ = false;
        Flush();
    }

    // Leaves the target as it was and nothing behind; once committed or abandoned, nothing is
    // left to do.
    void Abandon() {
        temp_.Remove();
        if (road_ == Road::InPlace && file_.valid() && touched_) {
            static_cast<void>(old_.Restore(file_.get()));
        }
        old_.Drop();
        // Only the very file this save made goes again, never what took its name since.
        struct stat mine {};
        struct stat named {};
        if (created_ && ::fstat(file_.get(), &mine) == 0 &&
            ::lstat(target_.path.c_str(), &named) == 0 && SameFile(mine, named)) {
            ::unlink(target_.path.c_str());
        }
        file_ = {};
    }

    WriteTarget target_;
    Options options_;
    SaveResult result_;
    Road road_ = Road::Direct;
    FileDescriptor file_;
    TemporaryFile temp_;
    OldContents old_;
    std::uint64_t written_{};
    std::uint64_t handedOver_{};
    bool flushed_ = false;
    bool touched_ = false;  // the target itself may have changed
    bool created_ = false;
};

FileSave::FileSave(const std::filesystem::path& path) : FileSave(path, Options{}) {}
FileSave::FileSave(const std::filesystem::path& path, Options options)
    : impl_(std::make_unique<Impl>(path, options)) {}
FileSave::~FileSave() = default;
FileSave::FileSave(FileSave&&) noexcept = default;
FileSave& FileSave::operator=(FileSave&&) noexcept = default;

const SaveResult& FileSave::result() const {
    return impl_->result();
}

void FileSave::Write(std::string_view bytes) {
    impl_->Write(bytes);
}

std::uint64_t FileSave::CopyFrom(const InputFile& source, std::uint64_t offset, std::uint64_t n) {
    return impl_->CopyFrom(source, offset, n);
}

bool FileSave::CanWriteAt() const {
    return impl_->CanWriteAt();
}

void FileSave::WriteAt(std::uint64_t offset, std::string_view bytes) {
    impl_->WriteAt(offset, bytes);
}

void FileSave::StartFlush() {
    impl_->StartFlush();
}

void FileSave::Flush() {
    impl_->Flush();
}

SaveResult FileSave::Commit(bool syncFolder) {
    return impl_->Commit(syncFolder);
}

std::filesystem::path FileSave::folder() const {
    return impl_->target().folder;
}

void SyncFolder(const std::filesystem::path& folder) {
    const FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid()) {
        ::fsync(fd.get());
    }
}

SaveResult SaveFile(const std::filesystem::path& path, std::string_view bytes) {
    FileSave save(path);
    save.Write(bytes);
    return save.Commit();
}

}  // namespace quorrel
