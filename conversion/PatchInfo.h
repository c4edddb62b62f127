#pragma once

#include <cstdint>
#include <string>

namespace quorrel {

// The author's details as kept in the settings file.
struct AuthorInfo {
    std::string nickname;
    std::string fullname;
    std::string email;
    std::string www;
    std::string icq;
};

// The descriptive fields of one patch, Windows-1251 text. The id is drawn by the composition.
struct PatchInfo {
    std::string formatVersion;
    std::string title;
    std::string group;
    std::uint32_t version = 1;
    std::string description;
    AuthorInfo author;
    std::string firmware;
};

}  // namespace quorrel
