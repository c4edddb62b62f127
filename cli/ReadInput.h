#pragma once

#include <string>

#include "LoadedFile.h"

namespace quorrel {

// The whole of a named file, or of standard input for "-". Standard input is read to its end as
// bytes; more than 0xFFFFFFFE bytes, like any read error, gives a failed read.
LoadedFile ReadInput(const std::string& path);

}  // namespace quorrel
