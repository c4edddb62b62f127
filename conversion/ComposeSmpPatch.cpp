#include "ComposeSmpPatch.h"

#include <optional>

#include "DiffBlockSource.h"
#include "DiffFormat.h"
#include "MakePatchId.h"
#include "Messages.h"
#include "StreamSmpPatch.h"

namespace quorrel {

ComposedPatch ComposeSmpPatchWithId(const PatchInfo& info, std::string_view id,
                                    const LoadedFile& diff, const LoadedFile* image) {
    ComposedPatch result;
    if (diff.failed() || diff.size() < diff::kHeaderSize) {
        result.error = msg::kBadDiffBlocks;
        return result;
    }
    std::optional<LoadedFirmware> firmware;
    if (image != nullptr && !image->failed()) {
        firmware.emplace(*image);
    }
    FirmwareBytes* const old = firmware ? &*firmware : nullptr;
    MemoryBytes bytes(diff.view());
    // Sized exactly first, so the text grows by appends alone and is never copied again.
    DiffBlockSource sizing(bytes);
    result.text.reserve(SmpPatchSize(info, id, sizing, old));
    DiffBlockSource blocks(bytes);
    const StreamOutcome outcome =
        StreamSmpPatch(info, id, blocks, old, [&result](std::string_view piece) {
            result.text.append(piece);
            return true;
        });
    result.error = outcome.error;
    return result;
}

ComposedPatch ComposeSmpPatch(const PatchInfo& info, const LoadedFile& diff,
                              const LoadedFile* image) {
    return ComposeSmpPatchWithId(info, MakePatchId(), diff, image);
}

}  // namespace quorrel
