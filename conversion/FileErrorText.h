#pragma once

#include <string>
#include <string_view>

#include "FileErrorCause.h"

namespace quorrel {

// The Windows-1251 text of a file-error cause (0..14) with %1 replaced by `path`;
// an unknown cause reads as cause 1.
std::string FileErrorText(int cause, std::string_view path);

}  // namespace quorrel
