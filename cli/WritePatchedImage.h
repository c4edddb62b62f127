#pragma once

#include <functional>
#include <string_view>

#include "CliOptions.h"
#include "ExitStatus.h"
#include "ImageSink.h"
#include "OpenedImage.h"
#include "OutputGuard.h"
#include "PatchFitter.h"
#include "Reporter.h"

namespace quorrel {

// Whether --apply or --revert must read the image whole before writing it (see OpenedImage):
// Windows lets nobody write a file this process holds open for reading, this process included.
bool HoldImageWrittenOver(const CliOptions& options);

// Writes what `write` makes of `image` to -o, after the verdict: a save that fails midway leaves
// the file as it was. The output may be the image but none of the files `patches` covers, which
// `patchShown` names when one of them fails to read.
ExitStatus WritePatchedImage(const CliOptions& options, const OutputGuard& patches,
                             OpenedImage& image, std::string_view patchShown,
                             std::string_view imageShown,
                             const std::function<PatchFitter::Written(ImageSink&)>& write,
                             const Reporter& reporter);

}  // namespace quorrel
