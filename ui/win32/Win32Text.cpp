#include "Win32Text.h"

#include "Cp1251.h"
#include "FileSystemName.h"

namespace quorrel::win32 {

namespace {

bool IsSurrogate(wchar_t unit) {
    return unit >= 0xD800 && unit <= 0xDFFF;
}
bool IsHighSurrogate(wchar_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

// Calls `put` with each byte, or with nothing for each character that has no form; a
// surrogate pair is one character.
template <typename Put>
void Encode(std::wstring_view text, Put put) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t unit = text[i];
        if (IsSurrogate(unit)) {
            if (IsHighSurrogate(unit) && i + 1 < text.size() && IsSurrogate(text[i + 1])) {
                ++i;
            }
            put(std::nullopt);
            continue;
        }
        put(cp1251::FromUnicode(static_cast<char32_t>(unit)));
    }
}

}  // namespace

bool HasCp1251Form(wchar_t unit) {
    return !IsSurrogate(unit) && cp1251::FromUnicode(static_cast<char32_t>(unit)).has_value();
}

std::wstring WideFromCp1251(std::string_view text) {
    std::wstring wide;
    wide.reserve(text.size());
    for (const char c : text) {
        wide.push_back(static_cast<wchar_t>(cp1251::ToUnicode(static_cast<std::uint8_t>(c))));
    }
    return wide;
}

std::string Cp1251FromWide(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    Encode(text, [&](std::optional<std::uint8_t> byte) {
        if (byte) {
            out.push_back(static_cast<char>(*byte));
        }
    });
    return out;
}

std::string Cp1251FromWideMarked(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    Encode(text, [&](std::optional<std::uint8_t> byte) {
        out.push_back(byte ? static_cast<char>(*byte) : '?');
    });
    return out;
}

std::wstring KeepCp1251(std::wstring_view text) {
    std::wstring kept;
    kept.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (HasCp1251Form(text[i])) {
            kept.push_back(text[i]);
        }
    }
    return kept;
}

std::wstring WideFromName(std::string_view name) {
    return PathFromName(name).native();
}

std::string NameFromWide(std::wstring_view wide) {
    return NameFromPath(std::filesystem::path(std::wstring(wide)));
}

}  // namespace quorrel::win32
