#include <windows.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "FileErrorCauseWindows.h"
#include "FileHandle.h"
#include "FileSave.h"
#include "InputFile.h"
#include "Win32Path.h"

namespace quorrel {

namespace {

constexpr int kNames = 100;
constexpr DWORD kMoveFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;

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

std::wstring FolderOf(const std::wstring& path) {
    const auto separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1);
}

std::wstring NameOf(const std::wstring& path) {
    const auto separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

// A new file ".NAME.RANDOM.tmp" in `folder` (which ends with its separator).
bool CreateTemporary(const std::wstring& folder, const std::wstring& name, FileHandle& file,
                     std::wstring& path, DWORD& error) {
    for (int attempt = 0; attempt < kNames; ++attempt) {
        std::wstring candidate =
            Win32Path(folder + L"." + name.substr(0, 200) + L"." + RandomSuffix() + L".tmp");
        file = FileHandle(::CreateFileW(candidate.c_str(), GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                        nullptr));
        if (file.valid()) {
            path = std::move(candidate);
            return true;
        }
        error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            return false;
        }
    }
    return false;
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

// The error a failed ReplaceFileW stands for; its own codes only say which step failed.
DWORD ReplaceError(DWORD error, const std::wstring& target) {
    if (error != ERROR_UNABLE_TO_REMOVE_REPLACED) {
        return error;
    }
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0
               ? ERROR_ACCESS_DENIED
               : ERROR_SHARING_VIOLATION;
}

std::wstring TemporaryFolder() {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    const DWORD n = ::GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
    return n == 0 || n >= buffer.size() ? std::wstring() : std::wstring(buffer.data(), n);
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
        // The replaced file must be closed before ReplaceFileW; written in place, it is on disk
        // once flushed.
        if (result_.saved() && road_ != Road::InPlace) {
            for (FileHandle* handle : {&temp_, &file_}) {
                if (const DWORD error = handle->Close(); error != 0) {
                    Fail(SaveOutcome::WriteFailed, error);
                }
            }
        }
        if (result_.saved() && road_ == Road::Rename) {
            PutInPlace();
        }
        if (!result_.saved()) {
            Abandon();
            return result_;
        }
        done_ = true;
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
        DWORD error = 0;
        if (CreateTemporary(FolderOf(target_), NameOf(target_), temp_, tempPath_, error)) {
            road_ = Road::Rename;
            return;
        }
        // No temporary here; the new file itself is written and removed again on failure.
        file_ =
            FileHandle(::CreateFileW(target_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                     nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
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
        const DWORD own = ::GetFileAttributesW(target_.c_str());
        if (own != INVALID_FILE_ATTRIBUTES && (own & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            target_ = FinalPath(file_.get(), target_);
        }
        existed_ = true;
        DWORD error = 0;
        // ReplaceFileW keeps the attributes and security of the file, not its other names.
        if (info.nNumberOfLinks == 1 &&
            CreateTemporary(FolderOf(target_), NameOf(target_), temp_, tempPath_, error)) {
            road_ = Road::Rename;
            return;
        }
        road_ = Road::InPlace;
        if (!KeepCopy(error)) {
            Fail(SaveOutcome::WriteFailed, error);
        }
        if (!Rewind(file_.get())) {
            Fail(SaveOutcome::WriteFailed, ::GetLastError());
        }
    }

    // The old contents, complete before they take their name, beside the file or in the
    // temporary folder; in memory for small files that can do without.
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
            if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL) {
                return false;
            }
        }
        return false;
    }

    bool KeepCopyIn(const std::wstring& folder, DWORD& error) {
        FileHandle copy;
        std::wstring path;
        if (!CreateTemporary(folder, NameOf(target_), copy, path, error)) {
            return false;
        }
        bool ok = CopyContents(file_.get(), copy.get(), error);
        if (ok && !::FlushFileBuffers(copy.get())) {
            ok = false;
            error = ::GetLastError();
        }
        copy.Close();
        for (int n = 1; ok && n <= kNames; ++n) {
            std::wstring name = Win32Path(folder + NameOf(target_) + L".quorrel-backup" +
                                          (n > 1 ? L"-" + std::to_wstring(n) : L""));
            if (::MoveFileExW(path.c_str(), name.c_str(), MOVEFILE_WRITE_THROUGH)) {
                copyPath_ = std::move(name);
                return true;
            }
            error = ::GetLastError();
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

    void PutInPlace() {
        if (!existed_) {
            if (!::MoveFileExW(tempPath_.c_str(), target_.c_str(), kMoveFlags)) {
                Fail(SaveOutcome::WriteFailed, ::GetLastError());
            }
            return;
        }
        if (::ReplaceFileW(target_.c_str(), tempPath_.c_str(), nullptr,
                           REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr,
                           nullptr)) {
            return;
        }
        const DWORD error = ::GetLastError();
        if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT ||
            error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
            // The old file has already left its name; the temporary now holds the only copy
            // of the contents, so it is kept if it cannot take the name either.
            if (!::MoveFileExW(tempPath_.c_str(), target_.c_str(), kMoveFlags)) {
                Fail(SaveOutcome::WriteFailed, ::GetLastError());
                tempPath_.clear();
            }
            return;
        }
        Fail(SaveOutcome::WriteFailed, ReplaceError(error, target_));
    }

    void Abandon() {
        if (done_) {
            return;
        }
        done_ = true;
        temp_.Close();
        if (!tempPath_.empty() && road_ == Road::Rename) {
            ::DeleteFileW(tempPath_.c_str());
        }
        if (road_ == Road::InPlace && file_.valid() && touched_) {
            // Should this fail too, the named copy stays for the user.
            if (Restore()) {
                DropCopy();
            }
        } else {
            DropCopy();
        }
        file_.Close();
        if (created_) {
            ::DeleteFileW(target_.c_str());
            created_ = false;
        }
    }

    Options options_;
    std::wstring target_;
    SaveResult result_;
    Road road_ = Road::Direct;
    FileHandle file_;
    FileHandle temp_;
    std::wstring tempPath_;
    std::wstring copyPath_;
    std::string memory_;
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

// Windows has no separate sync of a folder's entries; the moves are written through.
SaveResult FileSave::Commit(bool) {
    return impl_->Commit();
}

std::filesystem::path FileSave::folder() const {
    return impl_->folder();
}

void SyncFolder(const std::filesystem::path&) {}

SaveResult SaveFile(const std::filesystem::path& path, std::string_view bytes) {
    FileSave save(path);
    save.Write(bytes);
    return save.Commit();
}

}  // namespace quorrel
