// The INI engine: a random file and a run of random writes. Reading never fails; a write is
// refused exactly when its names or value cannot be stored, and then changes nothing; a stored
// value reads back as written; no other line and no other entry changes; a write of the value
// already held leaves the bytes as they were.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Cp1251.h"
#include "FuzzRequire.h"
#include "IniText.h"

namespace {

struct Write {
    std::string_view section, key, value;
};

std::string_view Trim(std::string_view text) {
    const std::size_t begin = text.find_first_not_of(" \t");
    return begin == std::string_view::npos
               ? ""
               : text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

bool Storable(const Write& w) {
    const std::string_view section = Trim(w.section);
    const std::string_view key = Trim(w.key);
    return !section.empty() && !key.empty() &&
           (std::string(section) + std::string(key) + std::string(w.value)).find_first_of("\r\n") ==
               std::string::npos &&
           section.find(']') == std::string_view::npos && key.find('=') == std::string_view::npos &&
           key.front() != ';' && key.front() != '[';
}

bool SameEntry(const Write& a, const Write& b) {
    return quorrel::cp1251::EqualNoCase(Trim(a.section), Trim(b.section)) &&
           quorrel::cp1251::EqualNoCase(Trim(a.key), Trim(b.key));
}

// The bytes that differ between `before` and `after`, once their common start and end are set
// aside, lie within one line of `before`, or are a pure insertion.
bool ChangeWithinOneLine(std::string_view before, std::string_view after) {
    std::size_t head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head]) {
        ++head;
    }
    std::size_t tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) {
        ++tail;
    }
    return before.substr(head, before.size() - head - tail).find('\n') == std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // FILE "\0\0" then SECTION "\0" KEY "\0" VALUE "\0" for each write, at most 16 of them.
    const std::size_t end = input.find(std::string_view("\0\0", 2));
    std::vector<std::string_view> parts;
    for (std::size_t at = end == input.npos ? input.size() : end + 2; at < input.size();) {
        const std::size_t zero = std::min(input.find('\0', at), input.size());
        parts.push_back(input.substr(at, zero - at));
        at = zero + 1;
    }
    parts.resize(std::min<std::size_t>((parts.size() + 2) / 3 * 3, 48));
    std::vector<Write> writes;
    for (std::size_t i = 0; i < parts.size(); i += 3) {
        writes.push_back({parts[i], parts[i + 1], parts[i + 2]});
    }
    const std::string_view file = input.substr(0, end);

    quorrel::IniText ini{std::string(file)};
    for (std::size_t i = 0; i < writes.size(); ++i) {
        const Write& w = writes[i];
        const std::string before = ini.bytes();
        std::vector<std::optional<std::string>> others;
        for (const Write& other : writes) {
            others.push_back(ini.Find(other.section, other.key));
        }
        const bool stored = ini.Set(w.section, w.key, w.value);
        QUORREL_REQUIRE(stored == Storable(w));
        if (!stored) {
            QUORREL_REQUIRE(ini.bytes() == before);
            continue;
        }
        QUORREL_REQUIRE(ini.Find(w.section, w.key) == std::optional<std::string>(w.value));
        if (others[i] == std::optional<std::string>(w.value)) {
            QUORREL_REQUIRE(ini.bytes() == before);
        }
        QUORREL_REQUIRE(ChangeWithinOneLine(before, ini.bytes()));
        for (std::size_t j = 0; j < writes.size(); ++j) {
            if (!SameEntry(writes[j], w)) {
                QUORREL_REQUIRE(ini.Find(writes[j].section, writes[j].key) == others[j]);
            }
        }
        const std::string once = ini.bytes();
        QUORREL_REQUIRE(ini.Set(w.section, w.key, w.value) && ini.bytes() == once);
    }
    return 0;
}
