#pragma once

#include <string>

#include "ExitStatus.h"
#include "RunContext.h"

namespace quorrel {

// Reads, checks and converts one DIFF file and writes its patch, reporting every message on the
// way. "-" reads the DIFF from standard input.
ExitStatus ConvertDiff(const std::string& diffPath, RunContext& run);

}  // namespace quorrel
