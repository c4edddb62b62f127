#pragma once

#include <unistd.h>

#include <cstdint>
#include <string_view>
#include <utility>

namespace quorrel {

// Owns a POSIX file descriptor; Close() reports the error a plain close would lose.
class FileDescriptor {
  public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { Close(); }
    FileDescriptor(FileDescriptor&& other) noexcept { std::swap(fd_, other.fd_); }
    // The descriptor held before goes with `other`, which closes it.
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ != kClosed; }
    // 0 or the errno of a failed close.
    int Close();

  private:
    static constexpr int kClosed = -1;  // as a failed open returns
    int fd_ = kClosed;
};

// Writes all of `bytes`, resuming after partial writes and interruptions. Returns 0, the errno
// of the failure, or -1 when the system stored nothing and gave no error.
int WriteAll(int fd, std::string_view bytes);
// The same at a position, leaving the file offset alone.
int WriteAllAt(int fd, std::string_view bytes, std::uint64_t offset);
// Copies the bytes of `from` from its start to its end into `to` from its start; returns as
// WriteAll does.
int CopyContents(int from, int to);

}  // namespace quorrel
