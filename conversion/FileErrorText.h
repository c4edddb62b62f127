#pragma once

#include <string>
#include <string_view>

namespace quorrel {

inline constexpr int kFileErrorDiskFull = 13;

// The Windows-1251 text of a file-error cause (0..14) with %1 replaced by `path`;
// an unknown cause reads as cause 1.
std::string FileErrorText(int cause, std::string_view path);

// The cause for an operating-system error number.
int FileErrorCauseFromErrno(int error);

}  // namespace quorrel
