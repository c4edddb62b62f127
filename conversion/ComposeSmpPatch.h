#pragma once

#include <string>
#include <string_view>

#include "LoadedFile.h"
#include "PatchInfo.h"

namespace quorrel {

struct ComposedPatch {
    std::string text;
    std::string error;  // empty on success; otherwise the text is to be discarded
};

// `image` may be null; a failed read counts as no image. A rejected but read image still
// supplies old bytes. The DIFF must have passed CheckDiffFile.
ComposedPatch ComposeSmpPatch(const PatchInfo& info, const LoadedFile& diff,
                              const LoadedFile* image);

// The same with a given id instead of a drawn one, for reproducible output.
ComposedPatch ComposeSmpPatchWithId(const PatchInfo& info, std::string_view id,
                                    const LoadedFile& diff, const LoadedFile* image);

}  // namespace quorrel
