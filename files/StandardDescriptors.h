#pragma once

namespace quorrel {

// Puts a placeholder on each of descriptors 0, 1 and 2 the process was started without, so that
// no file opened later takes its number and receives what was meant for a standard stream.
// Reading or writing through a placeholder fails as it would on the closed descriptor. POSIX
// only; called first thing in main.
void OpenStandardDescriptors();

}  // namespace quorrel
