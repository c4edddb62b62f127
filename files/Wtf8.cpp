#include "Wtf8.h"

namespace quorrel {

namespace {

void AppendUtf8(std::string& out, char32_t ch) {
    if (ch < 0x80) {
        out.push_back(static_cast<char>(ch));
    } else if (ch < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (ch >> 6)));
        out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    } else if (ch < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (ch >> 12)));
        out.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (ch >> 18)));
        out.push_back(static_cast<char>(0x80 | ((ch >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    }
}

bool IsHigh(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLow(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

std::string Wtf8FromUtf16(std::u16string_view utf16) {
    std::string out;
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t ch = utf16[i];
        if (IsHigh(ch) && i + 1 < utf16.size() && IsLow(utf16[i + 1])) {
            ch = 0x10000 + ((ch & 0x3FF) << 10) + (utf16[i + 1] & 0x3FFu);
            ++i;
        }
        AppendUtf8(out, ch);
    }
    return out;
}

std::optional<std::u16string> Utf16FromWtf8(std::string_view wtf8) {
    std::u16string out;
    std::size_t i = 0;
    while (i < wtf8.size()) {
        const auto b0 = static_cast<unsigned char>(wtf8[i]);
        std::size_t length = 0;
        char32_t ch = 0;
        char32_t minimum = 0;
        if (b0 < 0x80) {
            length = 1;
            ch = b0;
        } else if ((b0 & 0xE0) == 0xC0) {
            length = 2;
            ch = b0 & 0x1Fu;
            minimum = 0x80;
        } else if ((b0 & 0xF0) == 0xE0) {
            length = 3;
            ch = b0 & 0x0Fu;
            minimum = 0x800;
        } else if ((b0 & 0xF8) == 0xF0) {
            length = 4;
            ch = b0 & 0x07u;
            minimum = 0x10000;
        } else {
            return std::nullopt;
        }
        if (wtf8.size() - i < length) {
            return std::nullopt;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto b = static_cast<unsigned char>(wtf8[i + k]);
            if ((b & 0xC0) != 0x80) {
                return std::nullopt;
            }
            ch = (ch << 6) | (b & 0x3Fu);
        }
        if (ch < minimum || ch > 0x10FFFF) {
            return std::nullopt;
        }
        if (ch >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((ch - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((ch - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(ch));
        }
        i += length;
    }
    return out;
}

}  // namespace quorrel
