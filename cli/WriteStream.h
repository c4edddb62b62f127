#pragma once

#include <string_view>

namespace quorrel {

// Writes every byte to `fd`, resuming after partial writes and interruptions. Returns 0, or the
// FileErrorText cause of the failure (a write that stores nothing counts as a full disk).
int WriteStream(int fd, std::string_view bytes);

}  // namespace quorrel
