#pragma once

#include <cstddef>

#include "LoadedFile.h"
#include "PatchInfo.h"

namespace quorrel::bench {

struct LoadedReferenceCase {
    LoadedFile diff;
    LoadedFile image;
};

// The reference case of `newBytes` as the engine holds it; the last one made is kept, so the
// benchmarks of one size share it.
const LoadedReferenceCase& ReferenceCaseOf(std::size_t newBytes);

// Descriptive fields of a typical patch.
PatchInfo SampleInfo();

}  // namespace quorrel::bench
