#pragma once

#include "CliOptions.h"
#include "LoadedFile.h"
#include "OutputGuard.h"
#include "PatchInfo.h"
#include "Reporter.h"
#include "SettingsFile.h"

namespace quorrel {

// What every DIFF file of one run shares: the options, the settings and image read once, and
// what the run has already done.
struct RunContext {
    const CliOptions& options;
    const AuthorSettings& settings;
    const LoadedFile& image;  // a failed read when no image was given
    bool imageAccepted = false;
    const Reporter& reporter;
    OutputGuard& guard;
    bool noImageWarned = false;
};

}  // namespace quorrel
