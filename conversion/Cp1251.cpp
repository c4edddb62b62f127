#include "Cp1251.h"

#include <algorithm>
#include <array>
#include <utility>

namespace quorrel::cp1251 {

namespace {

// Characters of bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F.
constexpr std::array<char16_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

using ReverseTable = std::array<std::pair<char32_t, std::uint8_t>, 128>;  // sorted by character

struct Tables {
    std::array<std::uint8_t, 256> lower{};
    std::array<std::uint16_t, 256> rank{};
};

char32_t LowerOf(char32_t ch) {
    if (ch >= U'A' && ch <= U'Z') {
        return ch + 0x20;
    }
    if (ch >= 0x0410 && ch <= 0x042F) {
        return ch + 0x20;
    }
    if (ch >= 0x0400 && ch <= 0x040F) {
        return ch + 0x50;
    }
    if (ch == 0x0490) {
        return 0x0491;
    }
    return ch;
}

// Lower-case Cyrillic letters in alphabetical order; the Russian alphabet with the other
// Cyrillic letters of the code page after their nearest Russian letter.
constexpr std::u32string_view kCyrillicOrder =
    U"\u0430\u0431\u0432\u0433\u0491\u0453\u0434\u0452\u0435\u0451\u0454\u0436\u0437\u0455"
    U"\u0438\u0456\u0457\u0439\u0458\u043A\u045C\u043B\u0459\u043C\u043D\u045A\u043E\u043F"
    U"\u0440\u0441\u0442\u045B\u0443\u045E\u0444\u0445\u0446\u0447\u045F\u0448\u0449\u044A"
    U"\u044B\u044C\u044D\u044E\u044F";

const ReverseTable& GetReverse() {
    static const ReverseTable reverse = [] {
        ReverseTable r{};
        for (unsigned b = 0x80; b < 0x100; ++b) {
            r[b - 0x80] = {ToUnicode(static_cast<std::uint8_t>(b)), static_cast<std::uint8_t>(b)};
        }
        std::sort(r.begin(), r.end());
        return r;
    }();
    return reverse;
}

Tables MakeTables() {
    Tables t;
    for (unsigned b = 0; b < 0x100; ++b) {
        const auto byte = static_cast<std::uint8_t>(b);
        const auto lower = FromUnicode(LowerOf(ToUnicode(byte)));
        t.lower[b] = lower.value_or(byte);
    }
    for (unsigned b = 0; b < 0x100; ++b) {
        const std::uint8_t folded = t.lower[b];
        const auto pos = kCyrillicOrder.find(ToUnicode(folded));
        // ASCII and signs keep their code order; Cyrillic letters follow them all.
        t.rank[b] =
            pos == std::u32string_view::npos ? folded : static_cast<std::uint16_t>(0x100 + pos);
    }
    return t;
}

const Tables& GetTables() {
    static const Tables tables = MakeTables();
    return tables;
}

void AppendUtf8(std::string& out, char32_t ch) {
    if (ch < 0x80) {
        out.push_back(static_cast<char>(ch));
    } else if (ch < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (ch >> 6)));
        out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (ch >> 12)));
        out.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    }
}

// Decodes one UTF-8 sequence at `i`; nothing for a malformed one (overlong forms, surrogates
// and values past U+10FFFF included).
std::optional<char32_t> NextUtf8(std::string_view s, std::size_t& i) {
    const auto b0 = static_cast<std::uint8_t>(s[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    std::size_t length = 0;
    char32_t ch = 0;
    char32_t minimum = 0;
    if ((b0 & 0xE0) == 0xC0) {
        length = 2, ch = b0 & 0x1Fu, minimum = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        length = 3, ch = b0 & 0x0Fu, minimum = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        length = 4, ch = b0 & 0x07u, minimum = 0x10000;
    } else {
        return std::nullopt;
    }
    if (s.size() - i < length) {
        return std::nullopt;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const auto b = static_cast<std::uint8_t>(s[i + k]);
        if ((b & 0xC0) != 0x80) {
            return std::nullopt;
        }
        ch = ch << 6 | (b & 0x3Fu);
    }
    if (ch < minimum || ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF)) {
        return std::nullopt;
    }
    i += length;
    return ch;
}

}  // namespace

char32_t ToUnicode(std::uint8_t byte) {
    if (byte < 0x80) {
        return byte;
    }
    if (byte >= 0xC0) {
        return static_cast<char32_t>(0x0410 + (byte - 0xC0));
    }
    return kHigh[byte - 0x80u];
}

std::optional<std::uint8_t> FromUnicode(char32_t ch) {
    if (ch < 0x80) {
        return static_cast<std::uint8_t>(ch);
    }
    if (ch >= 0x0410 && ch <= 0x044F) {
        return static_cast<std::uint8_t>(ch - 0x0410 + 0xC0);
    }
    const auto& reverse = GetReverse();
    const auto it = std::lower_bound(reverse.begin(), reverse.end(), ch,
                                     [](const auto& entry, char32_t c) { return entry.first < c; });
    if (it != reverse.end() && it->first == ch) {
        return it->second;
    }
    return std::nullopt;
}

std::string ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (const char c : text) {
        AppendUtf8(out, ToUnicode(static_cast<std::uint8_t>(c)));
    }
    return out;
}

Encoded FromUtf8(std::string_view utf8) {
    Encoded result;
    result.text.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto ch = NextUtf8(utf8, i);
        if (!ch) {
            result.invalidUtf8 = true;
            ++i;
            continue;
        }
        if (const auto byte = FromUnicode(*ch)) {
            result.text.push_back(static_cast<char>(*byte));
        } else {
            result.unmappable.push_back(*ch);
        }
    }
    return result;
}

std::uint8_t FoldCase(std::uint8_t byte) {
    return GetTables().lower[byte];
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    const auto& lower = GetTables().lower;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower[static_cast<std::uint8_t>(a[i])] != lower[static_cast<std::uint8_t>(b[i])]) {
            return false;
        }
    }
    return true;
}

int CompareNoCase(std::string_view a, std::string_view b) {
    const auto& rank = GetTables().rank;
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int ra = rank[static_cast<std::uint8_t>(a[i])];
        const int rb = rank[static_cast<std::uint8_t>(b[i])];
        if (ra != rb) {
            return ra < rb ? -1 : 1;
        }
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

}  // namespace quorrel::cp1251
