#pragma once

namespace quorrel {

// Causes of failed file access, numbered as the file-error texts are.
inline constexpr int kFileErrorUnknown = 1;
inline constexpr int kFileErrorAccessDenied = 5;
inline constexpr int kFileErrorSharing = 11;
inline constexpr int kFileErrorLock = 12;
inline constexpr int kFileErrorDiskFull = 13;

// The cause for an operating-system error number; 0 or less stands for a write that stored fewer
// bytes than asked.
int FileErrorCauseFromErrno(int error);

}  // namespace quorrel
