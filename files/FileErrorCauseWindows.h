#pragma once

#include <cstdint>

namespace quorrel {

// The file-error cause for a Windows system error code (GetLastError); 0 stands for a write
// that stored fewer bytes than asked.
int FileErrorCauseFromWindowsError(std::uint32_t error);

}  // namespace quorrel
