// The Windows-1251 codec: every byte string survives a trip through UTF-8; UTF-8 input is judged
// against an independent strict decoder, its unmappable characters reported in order; and the
// case-blind comparisons behave as a sort needs them to.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Cp1251.h"
#include "FuzzRequire.h"

namespace {

namespace cp1251 = quorrel::cp1251;

// Strict UTF-8: shortest forms only, no surrogates, nothing past U+10FFFF.
std::optional<std::vector<char32_t>> DecodeUtf8(std::string_view text) {
    std::vector<char32_t> out;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<std::uint8_t>(text[i]);
        std::size_t length = 0;
        char32_t ch = 0;
        char32_t least = 0;
        if (lead < 0x80) {
            length = 1, ch = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2, ch = lead & 0x1Fu, least = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, ch = lead & 0x0Fu, least = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, ch = lead & 0x07u, least = 0x10000;
        } else {
            return std::nullopt;
        }
        if (i + length > text.size()) {
            return std::nullopt;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<std::uint8_t>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return std::nullopt;
            }
            ch = ch << 6 | (next & 0x3Fu);
        }
        if (ch < least || ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF)) {
            return std::nullopt;
        }
        out.push_back(ch);
        i += length;
    }
    return out;
}

int Sign(int v) {
    return (v > 0) - (v < 0);
}

void CheckEveryByteOnce() {
    static bool done = false;
    if (done) {
        return;
    }
    done = true;
    for (unsigned b = 0; b < 256; ++b) {
        const auto byte = static_cast<std::uint8_t>(b);
        QUORREL_REQUIRE(cp1251::FromUnicode(cp1251::ToUnicode(byte)) ==
                        std::optional<std::uint8_t>(byte));
        QUORREL_REQUIRE(cp1251::FoldCase(cp1251::FoldCase(byte)) == cp1251::FoldCase(byte));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CheckEveryByteOnce();
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const std::string utf8 = cp1251::ToUtf8(input);
    const cp1251::Encoded back = cp1251::FromUtf8(utf8);
    QUORREL_REQUIRE(back.ok() && back.text == input);

    const cp1251::Encoded encoded = cp1251::FromUtf8(input);
    const std::optional<std::vector<char32_t>> chars = DecodeUtf8(input);
    QUORREL_REQUIRE(encoded.invalidUtf8 == !chars.has_value());
    if (chars) {
        std::string mapped;
        std::vector<char32_t> unmappable;
        for (const char32_t ch : *chars) {
            if (const std::optional<std::uint8_t> byte = cp1251::FromUnicode(ch)) {
                QUORREL_REQUIRE(cp1251::ToUnicode(*byte) == ch);
                mapped.push_back(static_cast<char>(*byte));
            } else {
                unmappable.push_back(ch);
            }
        }
        QUORREL_REQUIRE(encoded.text == mapped && encoded.unmappable == unmappable);
        if (unmappable.empty()) {
            QUORREL_REQUIRE(cp1251::ToUtf8(encoded.text) == input);
        }
    }

    const std::string_view a = input.substr(0, size / 2);
    const std::string_view b = input.substr(size / 2);
    QUORREL_REQUIRE(cp1251::EqualNoCase(a, b) == cp1251::EqualNoCase(b, a));
    QUORREL_REQUIRE(cp1251::EqualNoCase(a, a) && cp1251::CompareNoCase(a, a) == 0);
    QUORREL_REQUIRE(Sign(cp1251::CompareNoCase(a, b)) == -Sign(cp1251::CompareNoCase(b, a)));
    if (cp1251::EqualNoCase(a, b)) {
        QUORREL_REQUIRE(cp1251::CompareNoCase(a, b) == 0);
    }
    return 0;
}
