#include "IniText.h"

#include <cstddef>
#include <initializer_list>

#include "Cp1251.h"

namespace quorrel {

namespace {

constexpr std::size_t kNone = std::string_view::npos;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool HasLineEnd(std::string_view text) {
    return text.find_first_of("\r\n") != kNone;
}

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

bool IsQuoted(std::string_view raw) {
    return raw.size() >= 2 && IsQuote(raw.front()) && raw.front() == raw.back();
}

std::string_view Unquote(std::string_view raw) {
    return IsQuoted(raw) ? raw.substr(1, raw.size() - 2) : raw;
}

// One string from several pieces; g++ 12 warns falsely about chains of operator+ at -O3.
std::string Joined(std::initializer_list<std::string_view> parts) {
    std::string out;
    for (const std::string_view part : parts) {
        out.append(part);
    }
    return out;
}

// The form in which a value reads back exactly: trimming and unquoting would otherwise eat it.
std::string Encode(std::string_view value) {
    if (!value.empty() && (IsBlank(value.front()) || IsBlank(value.back()) || IsQuoted(value))) {
        return Joined({"\"", value, "\""});
    }
    return std::string(value);
}

// Where a section and key are, or where the key would go.
struct Location {
    bool sectionFound = false;
    // Just past the header or the section's last entry, line end included.
    std::size_t insertAt = 0;
    // That line is the file's last and has no line end.
    bool insertNeedsLineEnd = false;
    bool keyFound = false;
    std::size_t valueBegin = 0;
    std::size_t valueEnd = 0;
};

Location Locate(std::string_view text, std::string_view section, std::string_view key) {
    Location where;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t lf = text.find('\n', pos);
        const std::size_t next = lf == kNone ? text.size() : lf + 1;
        std::size_t end = lf == kNone ? text.size() : lf;
        // A CR before the LF, or a CR ending the file, belongs to the line end.
        if (end > pos && text[end - 1] == '\r') {
            --end;
        }
        std::size_t lead = pos;
        while (lead < end && IsBlank(text[lead])) {
            ++lead;
        }
        const std::string_view line = text.substr(lead, end - lead);
        if (!line.empty() && line.front() == '[') {
            if (where.sectionFound) {
                break;  // only the first section of a name counts
            }
            const std::string_view name = Trim(line.substr(1, line.find(']') - 1));
            if (cp1251::EqualNoCase(name, section)) {
                where.sectionFound = true;
                where.insertAt = next;
                where.insertNeedsLineEnd = lf == kNone;
            }
        } else if (where.sectionFound && !line.empty() && line.front() != ';') {
            const std::size_t eq = line.find('=');
            if (eq != kNone) {
                where.insertAt = next;
                where.insertNeedsLineEnd = lf == kNone;
                if (cp1251::EqualNoCase(Trim(line.substr(0, eq)), key)) {
                    std::size_t begin = lead + eq + 1;
                    while (begin < end && IsBlank(text[begin])) {
                        ++begin;
                    }
                    std::size_t stop = end;
                    while (stop > begin && IsBlank(text[stop - 1])) {
                        --stop;
                    }
                    where.keyFound = true;
                    where.valueBegin = begin;
                    where.valueEnd = stop;
                    return where;
                }
            }
        }
        pos = next;
    }
    return where;
}

// New lines follow the file's own line ends.
std::string_view LineEnd(std::string_view text) {
    const std::size_t lf = text.find('\n');
    if (lf == kNone) {
        return "\r\n";
    }
    return lf > 0 && text[lf - 1] == '\r' ? "\r\n" : "\n";
}

bool ValidSection(std::string_view name) {
    return !name.empty() && !HasLineEnd(name) && name.find(']') == kNone;
}

bool ValidKey(std::string_view name) {
    return !name.empty() && !HasLineEnd(name) && name.find('=') == kNone && name.front() != ';' &&
           name.front() != '[';
}

}  // namespace

std::optional<std::string> IniText::Find(std::string_view section, std::string_view key) const {
    section = Trim(section);
    key = Trim(key);
    if (section.empty() || key.empty()) {
        return std::nullopt;
    }
    const Location where = Locate(bytes_, section, key);
    if (!where.keyFound) {
        return std::nullopt;
    }
    const std::string_view raw =
        std::string_view(bytes_).substr(where.valueBegin, where.valueEnd - where.valueBegin);
    return std::string(Unquote(raw));
}

bool IniText::Set(std::string_view section, std::string_view key, std::string_view value) {
    section = Trim(section);
    key = Trim(key);
    if (!ValidSection(section) || !ValidKey(key) || HasLineEnd(value)) {
        return false;
    }
    const Location where = Locate(bytes_, section, key);
    const std::string encoded = Encode(value);
    if (where.keyFound) {
        const std::size_t length = where.valueEnd - where.valueBegin;
        const std::string_view raw = std::string_view(bytes_).substr(where.valueBegin, length);
        if (Unquote(raw) != value) {
            bytes_.replace(where.valueBegin, length, encoded);
        }
        return true;
    }
    const std::string eol(LineEnd(bytes_));
    // A file ending in a lone CR has its last line end half written; an LF completes it.
    const std::string finish = !bytes_.empty() && bytes_.back() == '\r' ? "\n" : eol;
    const std::string entry = Joined({key, "=", encoded});
    if (where.sectionFound) {
        bytes_.insert(where.insertAt, where.insertNeedsLineEnd ? finish + entry : entry + eol);
        return true;
    }
    if (!bytes_.empty() && bytes_.back() != '\n') {
        bytes_ += finish;
    }
    bytes_ += Joined({"[", section, "]", eol, entry, eol});
    return true;
}

}  // namespace quorrel
