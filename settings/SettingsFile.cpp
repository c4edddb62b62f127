#include "SettingsFile.h"

#include <optional>

#include "FileSystemName.h"
#include "IniText.h"
#include "ReadSharedFile.h"
#include "ReadWholeFile.h"
#include "UpdateFileUnderLock.h"

namespace quorrel {

namespace {

IniText ReadIni(const std::string& path) {
    if (path.empty()) {
        return IniText();
    }
#ifdef _WIN32
    // Windows refuses to replace a file that a reader holds without sharing its deletion, so
    // settings are read with every kind of sharing allowed.
    std::string bytes;
    ReadSharedFile(path, bytes);
    return IniText(std::move(bytes));
#else
    const LoadedFile file = ReadWholeFile(PathFromName(path));
    return IniText(std::string(file.view()));
#endif
}

std::string StoredValue(const IniText& ini, std::string_view section, std::string_view key) {
    std::string value = ini.Find(section, key).value_or(std::string());
    if (value.size() > kMaxSettingLength) {
        value.resize(kMaxSettingLength);
    }
    return value;
}

}  // namespace

std::string SettingsFile::ReadSetting(std::string_view section, std::string_view key,
                                      std::string_view def, bool writeDefault) const {
    std::string value = StoredValue(ReadIni(path_), section, key);
    if (!value.empty() || !writeDefault) {
        return value;
    }
    // Failures are not reported: the default serves all the same.
    UpdateFileUnderLock(path_, [&](std::string_view current) -> std::optional<std::string> {
        IniText ini{std::string(current)};
        // Another process may have filled it in since our read; that value stays.
        if (!StoredValue(ini, section, key).empty() || !ini.Set(section, key, def)) {
            return std::nullopt;
        }
        return ini.bytes();
    });
    return std::string(def);
}

AuthorSettings SettingsFile::LoadAuthorSettings() const {
    AuthorSettings settings;
    settings.formatVersion = ReadSetting("Patch Version", "value", kDefaultFormatVersion, true);
    AuthorInfo& author = settings.author;
    author.nickname = ReadSetting("Author Info", "NickName", kDefaultNickName, true);
    author.fullname = ReadSetting("Author Info", "FullName", "", true);
    author.email = ReadSetting("Author Info", "Email", "", true);
    author.www = ReadSetting("Author Info", "www", kDefaultWww, true);
    author.icq = ReadSetting("Author Info", "icq", "", true);
    return settings;
}

std::vector<std::string> SettingsFile::ReadSettingList(std::string_view section) const {
    // One read for the whole list, so that it comes from one state of the file.
    const IniText ini = ReadIni(path_);
    std::vector<std::string> values;
    for (std::size_t n = 0;; ++n) {
        std::string value = StoredValue(ini, section, std::to_string(n));
        if (value.empty()) {
            return values;
        }
        values.push_back(std::move(value));
    }
}

}  // namespace quorrel
