#pragma once

#include <string_view>

namespace quorrel {

// Writes every byte to `fd`, resuming after partial writes and interruptions. Returns 0, or the
// FileErrorText cause of the failure (a write that stores nothing counts as a full disk).
int WriteStream(int fd, std::string_view bytes);

// The same for UTF-8 text meant to be read: a Windows console is given it as characters, since
// it would show bytes in its own code page; everywhere else it is WriteStream.
int WriteText(int fd, std::string_view utf8);

}  // namespace quorrel
