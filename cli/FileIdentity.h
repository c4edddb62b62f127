#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace quorrel {

// Which file a name stands for, links followed: two names of one file have the same identity.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t file = 0;
    bool regular = false;  // a plain file, not a directory or device

    bool SameFile(const FileIdentity& other) const {
        return volume == other.volume && file == other.file;
    }
};

// Nothing when `path` (a file-system name) names nothing that can be looked at.
std::optional<FileIdentity> IdentifyFile(const std::string& path);
// The same for what standard input reads, a file redirected to it among others.
std::optional<FileIdentity> IdentifyStandardInput();

// The file behind standard input; nothing when it is none that can be looked at.
std::optional<FileIdentity> IdentifyStandardInput();

// Whether two names are one as the file system compares them: letter case aside on Windows.
bool SameFileName(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace quorrel
