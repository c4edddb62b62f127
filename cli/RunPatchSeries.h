#pragma once

#include "CliOptions.h"
#include "ExitStatus.h"
#include "Reporter.h"

namespace quorrel {

// --check, --apply or --revert of several patches onto one image: applied in the order given,
// reverted in reverse, each fitted to the image as the ones made before it leave it. --check
// gives each patch its verdict; --apply and --revert stop at the first that does not fit, and
// write the image only when all do.
ExitStatus RunPatchSeries(const CliOptions& options, const Reporter& reporter);

}  // namespace quorrel
