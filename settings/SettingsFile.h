#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "PatchInfo.h"

namespace quorrel {

inline constexpr std::size_t kMaxSettingLength = 1023;
inline constexpr std::string_view kDefaultFormatVersion = "0.3";
inline constexpr std::string_view kDefaultNickName = "Quorrel";
inline constexpr std::string_view kDefaultWww = "http://quorrel.example.org/";

// The patch format version and the author's details, read once at start-up.
struct AuthorSettings {
    std::string formatVersion;
    AuthorInfo author;
};

// The full path of Quorrel.ini beside the running executable, computed once per process.
// Empty when the executable's path cannot be had.
const std::string& SettingsFilePath();

// The settings file: reads of single values and numbered lists, and write-back of defaults.
// No failure is reported: a missing or unreadable file reads as empty values, and a failed write
// still returns the default.
class SettingsFile {
  public:
    explicit SettingsFile(std::string path) : path_(std::move(path)) {}
    // The file beside the executable.
    static SettingsFile ForExecutable() { return SettingsFile(SettingsFilePath()); }

    const std::string& path() const { return path_; }

    // The stored value cut to 1023 bytes; when it is empty and `writeDefault` is set, `def` is
    // written back and returned.
    std::string ReadSetting(std::string_view section, std::string_view key, std::string_view def,
                            bool writeDefault) const;

    // "Patch Version"/"value", then "Author Info" with NickName, FullName, Email, www, icq.
    AuthorSettings LoadAuthorSettings() const;

    // Values of keys "0", "1", ... up to the first empty one.
    std::vector<std::string> ReadSettingList(std::string_view section) const;

  private:
    std::string path_;
};

}  // namespace quorrel
