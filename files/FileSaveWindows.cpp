#include <windows.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "FileErrorCauseWindows.h"
#include "FileHandle.h"
#include "FileLikenessWindows.h"
#include "FileSave.h"
#include "InputFile.h"
#include "Win32Path.h"

namespace quorrel {

namespace {

constexpr int kNames = 100;

std::wstring RandomSuffix() {
    static std::minstd_rand generator(static_cast<unsigned>(::GetTickCount64()) ^
                                      ::GetCurrentProcessId());
    constexpr wchar_t kLetters[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
    std::wstring suffix(8, L'x');
    for (wchar_t& c : suffix) {
        c = kLetters[generator() % (std::size(kLetters) - 1)];
    }
    return suffix;
}

// The final path of an open file, so that the file a link names is replaced and the link stays.
std::wstring FinalPath(HANDLE handle, const std::wstring& fallback) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD n = ::GetFinalPathNameByHandleW(handle, buffer.data(),
                                                    static_cast<DWORD>(buffer.size()), 0);
        if (n == 0) {
            return fallback;
        }
        if (n < buffer.size()) {
            return std::wstring(buffer.data(), n);
        }
        buffer.resize(n + 1);
    }
    return fallback;
}

bool IsLink(const std::wstring& path) {
    const DWORD own = ::GetFileAttributesW(path.c_str());
    return own != INVALID_FILE_ATTRIBUTES && (own & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

std::wstring FolderOf(const std::wstring& path) {
    const auto separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1);
}

// The file's name, cut so that the names made from it stay within the 255 characters a name may
// have; a surrogate pair is never split.
std::wstring ShortNameOf(const std::wstring& path) {
    const auto separator = path.find_last_of(L"\\/");
    std::wstring name = separator == std::wstring::npos ? path : path.substr(separator + 1);
    if (name.size() > 200) {
        name.resize(IS_HIGH_SURROGATE(name[199]) ? 199 : 200);
    }
    return name;
}

bool DeleteByHandle(HANDLE file) {
    FILE_DISPOSITION_INFO disposition{TRUE};
    return ::SetFileInformationByHandle(file, FileDispositionInfo, &disposition,
                                        sizeof disposition) != 0;
}

// A new file ".NAME.RANDOM.tmp" in `folder` (which ends with its separator), like the target.
// It is kept only where it can be renamed and removed by name: a folder may let files be made
// but not removed, and a file left that way would stay for good. The handle made it, so it can
// always remove it.
bool CreateTemporary(const std::wstring& folder, const std::wstring& name, FileLikeness& likeness,
                     FileHandle& file, std::wstring& path, DWORD& error) {
    for (int attempt = 0; attempt < kNames; ++attempt) {
        std::wstring candidate = Win32Path(folder + L"." + name + L"." + RandomSuffix() + L".tmp");
        file = FileHandle(::CreateFileW(candidate.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                        FILE_SHARE_READ | FILE_SHARE_DELETE, likeness.security(),
                                        CREATE_NEW, likeness.flags(), nullptr));
        if (!file.valid()) {
            error = ::GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
                return false;
            }
            continue;
        }
        const FileHandle removable(::CreateFileW(
            candidate.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        error = removable.valid() ? 0 : ::GetLastError();
        if (removable.valid() && likeness.Holds(file.get())) {
            path = std::move(candidate);
            return true;
        }
        DeleteByHandle(file.get());
        file.Close();
        if (error == 0) {
            error = ERROR_ACCESS_DENIED;  // it could not be encrypted
        }
        return false;
    }
    return false;
}

// A name "NAME.quorrel-backup" (or "-2" and so on) in `folder` that nothing has yet.
std::wstring FreeBackupName(const std::wstring& folder, const std::wstring& name, int& n) {
    for (; n <= kNames; ++n) {
        std::wstring candidate = Win32Path(folder + name + L".quorrel-backup" +
                                           (n > 1 ? L"-" + std::to_wstring(n) : L""));
        if (::GetFileAttributesW(candidate.c_str()) == INVALID_FILE_ATTRIBUTES &&
            ::GetLastError() == ERROR_FILE_NOT_FOUND) {
            return candidate;
        }
    }
    return std::wstring();
}

bool Rewind(HANDLE file) {
    return ::SetFilePointerEx(file, LARGE_INTEGER{}, nullptr, FILE_BEGIN) != 0;
}

// Copies `from` from its start to its end over `to` from its start.
bool CopyContents(HANDLE from, HANDLE to, DWORD& error) {
    if (!Rewind(from) || !Rewind(to)) {
        error = ::GetLastError();
        return false;
    }
    constexpr DWORD kBuffer = 1 << 20;
    const std::unique_ptr<char[]> buffer(new char[kBuffer]);
    for (;;) {
        DWORD n = 0;
        if (!::ReadFile(from, buffer.get(), kBuffer, &n, nullptr)) {
            error = ::GetLastError();
            return false;
        }
        if (n == 0) {
            return true;
        }
        if (!WriteAll(to, std::string_view(buffer.get(), n), error)) {
            return false;
        }
    }
}

std::wstring TemporaryFolder() {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    const DWORD n = ::GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
    return n == 0 || n >= buffer.size() ? std::wstring() : std::wstring(buffer.data(), n);
}

// ReplaceFileW cannot write the new name through; the file's own flush commits it with the
// file's metadata.
void FlushByName(const std::wstring& path) {
    const FileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.valid()) {
        ::FlushFileBuffers(file.get());
    }
}

}  // namespace

class FileSave::Impl {
  public:
    Impl(const std::filesystem::path& path, Options options) : options_(options) {
        target_ = Win32Path(path);
        if (target_.empty()) {
            Fail(SaveOutcome::CannotOpen, ERROR_PATH_NOT_FOUND);
            return;
        }
        // Opened as a plain write opens it: for reading and writing, others may only read.
        file_ =
            FileHandle(::CreateFileW(target_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file_.valid()) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_FILE_NOT_FOUND) {
                BeginNew();
            } else {
                Fail(SaveOutcome::CannotOpen, error);
            }
            return;
        }
        if (::GetFileType(file_.get()) != FILE_TYPE_DISK) {
            road_ = Road::Direct;
            return;
        }
        BeginExisting();
    }

    ~Impl() { Abandon(); }

    const SaveResult& result() const { return result_; }
    std::filesystem::path folder() const { return FolderOf(target_); }

    void Write(std::string_view bytes) {
        if (!result_.saved() || bytes.empty()) {
            return;
        }
        touched_ = true;
        DWORD error = 0;
        if (!WriteAll(road_ == Road::Rename ? temp_.get() : file_.get(), bytes, error)) {
            Fail(SaveOutcome::WriteFailed, error);
        }
    }

    void Flush() {
        if (!result_.saved() || flushed_) {
            return;
        }
        flushed_ = true;
        if (road_ == Road::InPlace) {
            touched_ = true;
            Check(::SetEndOfFile(file_.get()));
        }
        const HANDLE written = road_ == Road::Rename ? temp_.get() : file_.get();
        if (::GetFileType(written) == FILE_TYPE_DISK) {
            Check(::FlushFileBuffers(written));
        }
    }

    SaveResult Commit() {
        Flush();
        if (result_.saved() && road_ == Road::Rename) {
            PutInPlace();
        } else if (result_.saved() && road_ == Road::Direct) {
            // A device may report a late failure only when closed.
            if (const DWORD error = file_.Close(); error != 0) {
                Fail(SaveOutcome::WriteFailed, error);
            }
        }
        if (!result_.saved()) {
            Abandon();
            return result_;
        }
        done_ = true;
        DropTemporary();
        DropCopy();
        file_.Close();
        return result_;
    }

  private:
    enum class Road { Rename, InPlace, Direct };

    void Fail(SaveOutcome outcome, DWORD error) {
        if (result_.saved()) {
            result_ = {outcome, FileErrorCauseFromWindowsError(error)};
        }
    }

    void Check(BOOL ok) {
        if (!ok) {
            Fail(SaveOutcome::WriteFailed, ::GetLastError());
        }
    }

    void BeginNew() {
        // The name is taken for a moment first. Where the system follows a link to a missing
        // file, this makes the file it leads to, whose folder then takes the temporary; where it
        // does not (wine), the name cannot be made although nothing opened: the link is left
        // alone, never replaced by the new file.
        const bool link = IsLink(target_);
        FileHandle claim(::CreateFileW(target_.c_str(), DELETE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        if (!claim.valid()) {
            Fail(SaveOutcome::CannotOpen, ::GetLastError());
            return;
        }
        if (link) {
            target_ = FinalPath(claim.get(), target_);
        }
        claim.Close();
        DWORD error = 0;
        if (CreateTemporary(FolderOf(target_), ShortNameOf(target_), likeness_, temp_, tempPath_,
                            error)) {
            road_ = Road::Rename;
            return;
        }
        // No temporary here; the new file itself is written and removed again on failure.
        file_ = FileHandle(::CreateFileW(target_.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                         FILE_SHARE_READ, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file_.valid()) {
            Fail(SaveOutcome::CannotOpen, ::GetLastError());
            return;
        }
        created_ = true;
        road_ = Road::Direct;
    }

    void BeginExisting() {
        BY_HANDLE_FILE_INFORMATION info{};
        if (!::GetFileInformationByHandle(file_.get(), &info) ||
            (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
            // Windows refuses to open a read-only file for writing; wine lets an administrator.
            Fail(SaveOutcome::CannotOpen, ERROR_ACCESS_DENIED);
            return;
        }
        if (IsLink(target_)) {
            target_ = FinalPath(file_.get(), target_);
        }
        existed_ = true;
        // Without its security (a file system that keeps none) the copies take the folder's,
        // which is then all there is.
        likeness_.Take(file_.get(), info.dwFileAttributes);
        DWORD error = 0;
        // ReplaceFileW keeps the file's attributes and access list, not its other names, nor its
        // owner: the temporary's owner is whoever saves.
        if (info.nNumberOfLinks == 1 && CreateTemporary(FolderOf(target_), ShortNameOf(target_),
                                                        likeness_, temp_, tempPath_, error)) {
            if (likeness_.SameOwner(temp_.get())) {
                road_ = Road::Rename;
                return;
            }
            DropTemporary();
        }
        BeginInPlace();
    }

    void BeginInPlace() {
        road_ = Road::InPlace;
        DWORD error = 0;
        if (!KeepCopy(error)) {
            Fail(SaveOutcome::WriteFailed, error);
        }
        if (!Rewind(file_.get())) {
            Fail(SaveOutcome::WriteFailed, ::GetLastError());
        }
    }

    // The old contents, complete before they take their name, beside the file or, where it
    // takes no new file or has no room, in the temporary folder; in memory for small files that
    // can do without.
    bool KeepCopy(DWORD& error) {
        if (!options_.copyOnDisk) {
            memory_.clear();
            if (!Rewind(file_.get())) {
                error = ::GetLastError();
                return false;
            }
            char buffer[65536];
            for (DWORD n = 0;; memory_.append(buffer, n)) {
                if (!::ReadFile(file_.get(), buffer, sizeof buffer, &n, nullptr)) {
                    error = ::GetLastError();
                    return false;
                }
                if (n == 0) {
                    return true;
                }
            }
        }
        for (const std::wstring& folder : {FolderOf(target_), TemporaryFolder()}) {
            if (!folder.empty() && KeepCopyIn(folder, error)) {
                return true;
            }
        }
        return false;
    }

    bool KeepCopyIn(const std::wstring& folder, DWORD& error) {
        FileHandle copy;
        std::wstring path;
        const std::wstring name = ShortNameOf(target_);
        if (!CreateTemporary(folder, name, likeness_, copy, path, error)) {
            return false;
        }
        bool ok = CopyContents(file_.get(), copy.get(), error);
        if (ok && !::FlushFileBuffers(copy.get())) {
            ok = false;
            error = ::GetLastError();
        }
        // Closed to be renamed; the temporary is known to be removable by name.
        copy.Close();
        for (int n = 1; ok && n <= kNames; ++n) {
            std::wstring backup = FreeBackupName(folder, name, n);
            if (!backup.empty() &&
                ::MoveFileExW(path.c_str(), backup.c_str(), MOVEFILE_WRITE_THROUGH)) {
                copyPath_ = std::move(backup);
                return true;
            }
            error = backup.empty() ? ERROR_FILE_EXISTS : ::GetLastError();
            ok = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS;
        }
        ::DeleteFileW(path.c_str());
        return false;
    }

    bool Restore() {
        DWORD error = 0;
        if (!options_.copyOnDisk) {
            if (!Rewind(file_.get()) || !WriteAll(file_.get(), memory_, error)) {
                return false;
            }
        } else {
            const FileHandle copy(::CreateFileW(copyPath_.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                                nullptr));
            if (!copy.valid() || !CopyContents(copy.get(), file_.get(), error)) {
                return false;
            }
        }
        return ::SetEndOfFile(file_.get()) && ::FlushFileBuffers(file_.get());
    }

    void DropCopy() {
        if (!copyPath_.empty()) {
            ::DeleteFileW(copyPath_.c_str());
            copyPath_.clear();
        }
    }

    void DropTemporary() {
        if (temp_.valid()) {
            DeleteByHandle(temp_.get());
            temp_.Close();
        } else if (!tempPath_.empty()) {
            ::DeleteFileW(tempPath_.c_str());
        }
        tempPath_.clear();
    }

    void PutInPlace() {
        // Both are closed: ReplaceFileW and MoveFileExW open them themselves.
        for (FileHandle* handle : {&temp_, &file_}) {
            if (const DWORD error = handle->Close(); error != 0) {
                Fail(SaveOutcome::WriteFailed, error);
                return;
            }
        }
        if (!existed_) {
            // Never over a file that appeared meanwhile: that save fails instead.
            if (::MoveFileExW(tempPath_.c_str(), target_.c_str(), MOVEFILE_WRITE_THROUGH)) {
                tempPath_.clear();
            } else {
                Fail(SaveOutcome::WriteFailed, ::GetLastError());
            }
            return;
        }
        // The old file leaves by a name of our choosing, so that a replacement failing midway
        // leaves both files at known names. Without the flags that ignore errors, a list or
        // stream that cannot be carried over fails the replacement, which then takes the road in
        // place. REPLACEFILE_WRITE_THROUGH is not supported: the file is flushed by name after.
        int n = 1;
        const std::wstring backup = FreeBackupName(FolderOf(target_), ShortNameOf(target_), n);
        if (!backup.empty() && ::ReplaceFileW(target_.c_str(), tempPath_.c_str(), backup.c_str(), 0,
                                              nullptr, nullptr)) {
            tempPath_.clear();
            ::DeleteFileW(backup.c_str());
            FlushByName(target_);
            return;
        }
        const DWORD error = backup.empty() ? ERROR_FILE_EXISTS : ::GetLastError();
        if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT ||
            error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
            // The old file is at the backup name, the new one still at the temporary's; the
            // target's name is free. The new one takes it, or else the old one takes it back;
            // should both fail, both files stay where they are, both whole.
            if (::MoveFileExW(tempPath_.c_str(), target_.c_str(), MOVEFILE_WRITE_THROUGH)) {
                tempPath_.clear();
                ::DeleteFileW(backup.c_str());
                return;
            }
            Fail(SaveOutcome::WriteFailed, ::GetLastError());
            if (!::MoveFileExW(backup.c_str(), target_.c_str(), MOVEFILE_WRITE_THROUGH)) {
                tempPath_.clear();
            }
            return;
        }
        // Refused with everything in place (another program holding the file without letting
        // it be removed, a folder that lets it be written but not removed, a file mounted over):
        // the new contents are written into the file itself, over a copy of the old ones.
        WriteInPlaceFromTemporary();
    }

    void WriteInPlaceFromTemporary() {
        file_ =
            FileHandle(::CreateFileW(target_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        const FileHandle temp(::CreateFileW(tempPath_.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                            nullptr));
        if (!file_.valid() || !temp.valid()) {
            Fail(SaveOutcome::WriteFailed, ::GetLastError());
            return;
        }
        BeginInPlace();
        if (!result_.saved()) {
            return;
        }
        touched_ = true;
        DWORD error = 0;
        if (!CopyContents(temp.get(), file_.get(), error)) {
            Fail(SaveOutcome::WriteFailed, error);
            return;
        }
        Check(::SetEndOfFile(file_.get()));
        if (result_.saved()) {
            Check(::FlushFileBuffers(file_.get()));
        }
    }

    void Abandon() {
        if (done_) {
            return;
        }
        done_ = true;
        DropTemporary();
        if (road_ == Road::InPlace && file_.valid() && touched_) {
            // Should this fail too, the named copy stays for the user.
            if (Restore()) {
                DropCopy();
            }
        } else {
            DropCopy();
        }
        if (created_ && !(file_.valid() && DeleteByHandle(file_.get()))) {
            ::DeleteFileW(target_.c_str());
        }
        created_ = false;
        file_.Close();
    }

    Options options_;
    std::wstring target_;
    SaveResult result_;
    Road road_ = Road::Direct;
    FileHandle file_;
    FileHandle temp_;  // kept open until the commit, able to remove it
    std::wstring tempPath_;
    std::wstring copyPath_;
    std::string memory_;
    FileLikeness likeness_;
    bool existed_ = false;
    bool flushed_ = false;
    bool touched_ = false;
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

// Windows flushes once at the end; there is no separate start of the write-back.
std::uint64_t FileSave::CopyFrom(const InputFile& source, std::uint64_t offset, std::uint64_t n) {
    constexpr std::size_t kBuffer = std::size_t{1} << 20;
    const std::unique_ptr<char[]> buffer(new char[kBuffer]);
    std::uint64_t copied = 0;
    while (result().saved() && copied < n) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(n - copied, kBuffer));
        const std::int64_t got = source.ReadAt(offset + copied, buffer.get(), want);
        if (got <= 0) {
            break;
        }
        Write(std::string_view(buffer.get(), static_cast<std::size_t>(got)));
        copied += result().saved() ? static_cast<std::uint64_t>(got) : 0;
    }
    return copied;
}

bool FileSave::CanWriteAt() const {
    return false;
}

void FileSave::WriteAt(std::uint64_t, std::string_view) {}

void FileSave::StartFlush() {}

void FileSave::Flush() {
    impl_->Flush();
}

// Each commit makes its own entry durable (moves written through, a replaced file flushed).
SaveResult FileSave::Commit(bool) {
    return impl_->Commit();
}

std::filesystem::path FileSave::folder() const {
    return impl_->folder();
}

// Windows has no sync of a folder's entries; the commits flushed what can be flushed.
void SyncFolder(const std::filesystem::path&) {}

SaveResult SaveFile(const std::filesystem::path& path, std::string_view bytes) {
    FileSave save(path);
    save.Write(bytes);
    return save.Commit();
}

}  // namespace quorrel
