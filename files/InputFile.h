#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

#ifdef _WIN32
#include "FileHandle.h"
#else
#include "FileDescriptor.h"
#endif

namespace quorrel {

// A regular disk file opened for reading only, others allowed to read it too (on Windows not to
// write it), and read at any position: only the parts needed are ever read. Opening never
// blocks; a directory, FIFO, socket or device does not open.
class InputFile {
  public:
    explicit InputFile(const std::filesystem::path& path);

    bool open() const;
    // Taken when opened.
    std::uint64_t size() const { return size_; }
    // Reads up to `n` bytes from `offset`: the count delivered, fewer only at the end of the
    // file, or -1 when the read fails.
    std::int64_t ReadAt(std::uint64_t offset, void* out, std::size_t n) const;
#ifndef _WIN32
    // For copies the kernel makes by itself.
    int fd() const {
        return file_.get();
    }
#endif

  private:
#ifdef _WIN32
    FileHandle file_;
#else
    FileDescriptor file_;
#endif
    std::uint64_t size_{};
};

}  // namespace quorrel
