#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "CliOptions.h"
#include "FileSave.h"
#include "FirmwareBytes.h"
#include "OutputGuard.h"
#include "PatchInfo.h"
#include "Reporter.h"
#include "SettingsFile.h"

namespace quorrel {

// What every DIFF file of one run shares: the options, the settings and image opened once, and
// what the run has already done.
struct RunContext {
    const CliOptions& options;
    const AuthorSettings& settings;
    FirmwareBytes* image;    // null when no image was given
    std::string imageShown;  // its name in messages
    bool imageAccepted = false;
    const Reporter& reporter;
    OutputGuard& guard;
    bool noImageWarned = false;
    // Patches written but not yet in place: made durable together, then renamed, then their
    // folders synced once each.
    std::vector<std::pair<FileSave, std::string>> pending;
};

}  // namespace quorrel
