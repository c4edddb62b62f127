#pragma once

#include "CliOptions.h"
#include "ExitStatus.h"
#include "Reporter.h"

namespace quorrel {

// --make-diff and --compare: the DIFF file, or the patch, that turns the image given with -i into
// the new one, written whole or not at all; reports every message on the way.
ExitStatus RunCompareMode(const CliOptions& options, const Reporter& reporter);

}  // namespace quorrel
