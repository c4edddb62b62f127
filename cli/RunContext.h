#pragma once

#include <filesystem>
#include <set>
#include <string>

#include "CliOptions.h"
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
    // Folders whose new entries are made durable once, at the end of the run.
    std::set<std::filesystem::path> foldersToSync;
};

}  // namespace quorrel
