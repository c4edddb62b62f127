#include "FileSave.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
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

mode_t CurrentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// Extended attributes (access lists among them) go with the contents; false when one cannot.
bool CopyExtendedAttributes(int from, int to) {
    const ssize_t size = ::flistxattr(from, nullptr, 0);
    if (size <= 0) {
        return size == 0 || errno == ENOTSUP;
    }
    std::vector<char> names(static_cast<std::size_t>(size));
    const ssize_t got = ::flistxattr(from, names.data(), names.size());
    if (got < 0) {
        return false;
    }
    for (std::size_t at = 0; at < static_cast<std::size_t>(got);) {
        const char* name = names.data() + at;
        at += std::char_traits<char>::length(name) + 1;
        std::vector<char> value(65536);
        const ssize_t n = ::fgetxattr(from, name, value.data(), value.size());
        if (n < 0 || ::fsetxattr(to, name, value.data(), static_cast<std::size_t>(n), 0) != 0) {
            return false;
        }
    }
    return true;
}

// Whether the temporary can stand in for the target: the same owner and group (given where
// allowed), the same mode where the file system keeps modes, the same extended attributes.
bool TakesOverAttributes(int target, const struct stat& old, int temp) {
    struct stat made {};
    if (::fstat(temp, &made) != 0) {
        return false;
    }
    if ((made.st_uid != old.st_uid || made.st_gid != old.st_gid) &&
        ::fchown(temp, old.st_uid, old.st_gid) != 0) {
        return false;
    }
    // Refused on file systems without modes; every file there has the same one anyway.
    static_cast<void>(::fchmod(temp, old.st_mode & 07777));
    return CopyExtendedAttributes(target, temp);
}

}  // namespace

class FileSave::Impl {
  public:
    Impl(const std::filesystem::path& path, Options options) {
        target_ = ResolveWriteTarget(path.native());
        struct stat info {};
        if (::stat(target_.path.c_str(), &info) != 0) {
            if (errno == ENOENT) {
                BeginNew();
            } else {
                Fail(SaveOutcome::CannotOpen, errno);
            }
        } else if (!S_ISREG(info.st_mode)) {
            // Devices and pipes are written as they are; opening may wait for a reader.
            Open(O_WRONLY | O_CREAT | O_TRUNC);
            road_ = Road::Direct;
        } else {
            BeginExisting(options);
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
        touched_ = true;
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
            touched_ = true;
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
        touched_ = true;
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
                if (struct stat info{}; ::fstat(file_.get(), &info) == 0 && S_ISREG(info.st_mode)) {
                    Check(::fsync(file_.get()));
                }
                break;
        }
    }

    SaveResult Commit(bool syncFolder) {
        Flush();
        if (result_.saved() && road_ == Road::Rename) {
            if (const int error = temp_.RenameOver(target_.path); error != 0) {
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
        done_ = true;
        temp_.Remove();
        old_.Drop();
        file_.Close();
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
            result_ = {outcome, FileErrorCauseFromErrno(error < 0 ? 0 : error)};
        }
    }

    void Check(int rc) {
        if (rc != 0) {
            Fail(SaveOutcome::WriteFailed, errno);
        }
    }

    bool Open(int flags) {
        file_ = FileDescriptor(::open(target_.path.c_str(), flags | O_CLOEXEC | O_NOCTTY, 0666));
        if (!file_.valid()) {
            Fail(SaveOutcome::CannotOpen, errno);
        }
        return file_.valid();
    }

    void BeginNew() {
        if (temp_.Create(target_.folder, target_.name) == 0) {
            static_cast<void>(::fchmod(temp_.fd(), 0666 & ~CurrentUmask()));
            road_ = Road::Rename;
            return;
        }
        // No temporary here; the new file itself is written and removed again on failure.
        created_ = Open(O_RDWR | O_CREAT | O_EXCL);
        road_ = Road::Direct;
    }

    // The target must open for reading and writing as a plain write would open it; the open
    // neither empties it nor waits.
    void BeginExisting(Options options) {
        if (!Open(O_RDWR | O_NONBLOCK)) {
            return;
        }
        struct stat old {};
        if (::fstat(file_.get(), &old) != 0 || !S_ISREG(old.st_mode)) {
            Fail(SaveOutcome::CannotOpen, EINVAL);
            return;
        }
        if (old.st_nlink == 1 && temp_.Create(target_.folder, target_.name) == 0 &&
            TakesOverAttributes(file_.get(), old, temp_.fd())) {
            road_ = Road::Rename;
            file_.Close();
            return;
        }
        temp_.Remove();
        road_ = Road::InPlace;
        if (const int error = old_.Keep(file_.get(), target_, options.copyOnDisk); error != 0) {
            Fail(SaveOutcome::WriteFailed, error);
        }
    }

    void Abandon() {
        if (done_) {
            return;
        }
        done_ = true;
        temp_.Remove();
        if (road_ == Road::InPlace && file_.valid() && touched_) {
            // Should this fail too, the named copy stays for the user.
            static_cast<void>(old_.Restore(file_.get()));
        } else {
            old_.Drop();
        }
        file_.Close();
        if (created_) {
            ::unlink(target_.path.c_str());
            created_ = false;
        }
    }

    WriteTarget target_;
    SaveResult result_;
    Road road_ = Road::Direct;
    FileDescriptor file_;
    TemporaryFile temp_;
    OldContents old_;
    std::uint64_t written_ = 0;
    std::uint64_t handedOver_ = 0;
    bool flushed_ = false;
    bool touched_ = false;  // the target itself may have changed
    bool created_ = false;
    bool done_ = false;  // committed or abandoned
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
