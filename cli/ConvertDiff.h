#pragma once

#include <string>

#include "ExitStatus.h"
#include "RunContext.h"

namespace quorrel {

// Reads, checks and converts one DIFF file and writes its patch, reporting every message on the
// way. "-" reads the DIFF from standard input.
// The patch may still be pending: CommitPatches puts it in place.
ExitStatus ConvertDiff(const std::string& diffPath, RunContext& run);

// Puts the pending patches in place: each is made durable, then all are renamed into place, then
// each folder is synced once. Reports each failure; the others are spared.
ExitStatus CommitPatches(RunContext& run);

}  // namespace quorrel
