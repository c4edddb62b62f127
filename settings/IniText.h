#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace quorrel {

// A settings file held as its exact bytes. Reads find values; writes change only the value
// part of one line (or add a line or section), leaving every other byte as it was.
//
// Sections are "[Name]" lines; entries are "key=value" lines. Names and values are trimmed of
// blanks and tabs, names compare without regard to letter case (Cyrillic included), only the
// first section of a name is searched and its first matching key wins, a value in a matching
// pair of double or single quotes loses them, ";" starts a comment line, lines without "=" are
// ignored, LF and CR LF both end lines. Names passed in are trimmed the same way.
class IniText {
  public:
    IniText() = default;
    explicit IniText(std::string bytes) : bytes_(std::move(bytes)) {}

    const std::string& bytes() const { return bytes_; }

    // The value, or nothing when the section or key is missing.
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;

    // Sets a value so that Find returns it exactly, quoting it where trimming or unquoting would
    // change it; the value already held leaves the bytes as they are. A missing key goes after
    // the last entry of its section, a missing section at the end, both with the file's own line
    // end. Returns false (changing nothing) when the names or the value cannot be stored: a line
    // end in any of them, "]" in the section, "=" in the key, a key that would read as a comment
    // or a section, or an empty name.
    bool Set(std::string_view section, std::string_view key, std::string_view value);

  private:
    std::string bytes_;
};

}  // namespace quorrel
