#include <windows.h>

#include <cstdint>

#include "FileErrorCause.h"
#include "FileSave.h"
#include "FileSystemName.h"
#include "ReadSharedFile.h"
#include "UpdateFileUnderLock.h"
#include "Win32Path.h"

namespace quorrel {

namespace {

// A writer that dies holding the lock releases it; one that hangs must not hang us.
constexpr DWORD kLockWaitMs = 30'000;
constexpr int kReplaceAttempts = 50;
constexpr DWORD kReplacePauseMs = 20;

// Owns a named mutex held for one update. Byte-range locks on Windows would also block the
// readers, and a handle held on the file would stand in the way of its replacement; a mutex
// named after the file does neither.
class FileLock {
  public:
    explicit FileLock(const std::wstring& path) {
        const std::wstring name = L"Quorrel.ini-" + NameHash(path);
        mutex_ = ::CreateMutexW(nullptr, FALSE, (L"Global\\" + name).c_str());
        if (mutex_ == nullptr) {
            mutex_ = ::CreateMutexW(nullptr, FALSE, (L"Local\\" + name).c_str());
        }
        if (mutex_ != nullptr) {
            const DWORD waited = ::WaitForSingleObject(mutex_, kLockWaitMs);
            // An abandoned lock is ours all the same: the file is only ever replaced whole.
            held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
        }
    }
    ~FileLock() {
        if (held_) {
            ::ReleaseMutex(mutex_);
        }
        if (mutex_ != nullptr) {
            ::CloseHandle(mutex_);
        }
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool held() const { return held_; }

  private:
    // Windows names ignore letter case, so the name of the lock does too.
    static std::wstring NameHash(std::wstring path) {
        ::CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
        std::uint64_t hash = 14695981039346656037ull;
        for (const wchar_t unit : path) {
            hash = (hash ^ static_cast<std::uint16_t>(unit)) * 1099511628211ull;
        }
        wchar_t text[17];
        for (int i = 15; i >= 0; --i) {
            text[i] = L"0123456789abcdef"[hash & 0xFu];
            hash >>= 4;
        }
        text[16] = L'\0';
        return text;
    }

    HANDLE mutex_ = nullptr;
    bool held_ = false;
};

bool IsReadOnly(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

// Scanners and indexers open files for a moment without letting them be written.
bool SaveRetrying(const std::filesystem::path& path, const std::string& bytes) {
    for (int attempt = 0;; ++attempt) {
        // Rewritten in place where no temporary can be made or other names would be cut off:
        // a few hundred bytes, kept in memory for putting back.
        FileSave save(path, FileSave::Options{.copyOnDisk = false});
        save.Write(bytes);
        const SaveResult result = save.Commit();
        if (result.saved()) {
            return true;
        }
        const bool busy = result.cause == kFileErrorSharing || result.cause == kFileErrorLock;
        if (!busy || attempt == kReplaceAttempts) {
            return false;
        }
        ::Sleep(kReplacePauseMs);
    }
}

}  // namespace

bool UpdateFileUnderLock(const std::string& path, const FileEdit& edit) {
    const std::filesystem::path name = PathFromName(path);
    if (name.empty()) {
        return false;
    }
    const std::wstring full = Win32Path(name);
    const FileLock lock(full);
    if (!lock.held()) {
        return false;
    }
    // A file the user made read-only is left as it is, though a replacement could go past that.
    std::string before;
    if (IsReadOnly(full) || ReadSharedFile(path, before) == SharedRead::Refused) {
        return false;
    }
    const std::optional<std::string> after = edit(before);
    if (!after || *after == before) {
        return true;
    }
    return SaveRetrying(name, *after);
}

}  // namespace quorrel
