#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "BufferedBytes.h"
#include "ByteSource.h"
#include "InputFile.h"
#include "LoadedFile.h"

namespace quorrel {

// An input named on the command line, read by position: standard input ("-") is held whole,
// since it cannot be read twice; a file is read in pieces through one buffer of `capacity`
// bytes, so it takes no memory of its size. Never mapped: a file cut while mapped would kill the
// process.
class InputBytes {
  public:
    InputBytes(const std::string& path, std::size_t capacity);
    InputBytes(const InputBytes&) = delete;
    InputBytes& operator=(const InputBytes&) = delete;

    // Null when the input cannot be read: missing, not a regular file, 4 GiB or more, or a
    // failed read of standard input.
    ByteSource* bytes();
    // The open file; null for standard input.
    const InputFile* file() const { return file_ ? &*file_ : nullptr; }
    // Standard input's bytes; empty for a file.
    std::string_view held() const { return held_.view(); }

  private:
    LoadedFile held_;
    std::optional<MemoryBytes> memory_;
    std::optional<InputFile> file_;
    std::optional<BufferedBytes> buffered_;
};

}  // namespace quorrel
