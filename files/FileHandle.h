#pragma once

#include <windows.h>

#include <string_view>

namespace quorrel {

// Owns a Windows file handle; Close() reports the error a plain close would lose.
class FileHandle {
  public:
    FileHandle() = default;
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() { Close(); }
    FileHandle(FileHandle&& other) noexcept : handle_(other.handle_) {
        other.handle_ = INVALID_HANDLE_VALUE;
    }
    FileHandle& operator=(FileHandle&& other) noexcept {
        if (this != &other) {
            Close();
            handle_ = other.handle_;
            other.handle_ = INVALID_HANDLE_VALUE;
        }
        return *this;
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    // 0 or the system error of a failed close.
    DWORD Close() {
        if (!valid()) {
            return 0;
        }
        const BOOL closed = ::CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return closed ? 0 : ::GetLastError();
    }

  private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// Writes all of `bytes`, resuming after partial writes. On failure `error` is the system error,
// or 0 when the system stored nothing and gave no error.
bool WriteAll(HANDLE handle, std::string_view bytes, DWORD& error);

}  // namespace quorrel
