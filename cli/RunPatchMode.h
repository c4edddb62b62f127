#pragma once

#include "CliOptions.h"
#include "ExitStatus.h"
#include "Reporter.h"

namespace quorrel {

// --check, --apply or --revert: the patch is read, held against the image and, when it fits,
// the patched or reverted image is written to the output.
ExitStatus RunPatchMode(const CliOptions& options, const Reporter& reporter);

}  // namespace quorrel
