#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorrel {

// The patch modes: a patch is checked against, applied to or reverted on an image instead of
// DIFF files being converted.
enum class PatchMode { None, Check, Apply, Revert };

// The modes that compare two images instead: the DIFF file, or the patch, that turns the image
// given with -i into the new one.
enum class CompareMode { None, MakeDiff, Compare };

// What one run of the command-line front end was asked to do. Paths are the file system's
// bytes as given; field texts are already Windows-1251.
struct CliOptions {
    std::vector<std::string> diffs;  // "-" is standard input
    std::optional<std::string> image;
    std::optional<std::string> output;  // "-" is standard output
    std::string title;
    std::string group;
    std::uint32_t revision = 1;
    std::string description;
    std::optional<std::string> firmware;  // nothing: the name from each DIFF header
    std::optional<std::string> id;        // upper case, checked
    std::optional<std::string> settings;  // nothing: Quorrel.ini beside the executable
    bool quiet = false;
    PatchMode patchMode = PatchMode::None;
    std::string patch;                      // the SMP file of a patch mode; "-" is standard input
    std::vector<std::string> laterPatches;  // the patches after the first, in the order given
    CompareMode compareMode = CompareMode::None;
    std::string newImage;  // the new image of a compare mode; "-" is standard input
};

}  // namespace quorrel
