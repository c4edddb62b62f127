#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorrel {

// UTF-16 as UTF-8, with unpaired surrogates kept as their three-byte forms (WTF-8), so that
// every Windows file name survives the trip through narrow text and back.
std::string Wtf8FromUtf16(std::u16string_view utf16);

// The reverse; nothing when `wtf8` is not well formed (overlong forms, values past U+10FFFF,
// cut sequences).
std::optional<std::u16string> Utf16FromWtf8(std::string_view wtf8);

}  // namespace quorrel
