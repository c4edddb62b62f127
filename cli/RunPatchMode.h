#pragma once

#include <cstddef>

#include "CliOptions.h"
#include "ExitStatus.h"
#include "Reporter.h"

namespace quorrel {

// A patch text passes through a buffer of this size, which also holds each change while it is
// compared.
inline constexpr std::size_t kPatchBuffer = std::size_t{1} << 20;

// --check, --apply or --revert: the patch is read, held against the image and, when it fits,
// the patched or reverted image is written to the output. Several patches go to RunPatchSeries.
ExitStatus RunPatchMode(const CliOptions& options, const Reporter& reporter);

}  // namespace quorrel
