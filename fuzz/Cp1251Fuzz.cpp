// The Windows-1251 codec against the system's iconv: every byte string becomes the same UTF-8 and
// survives the trip back; UTF-8 input is judged by iconv's strict decoder, its unmappable
// characters reported in order; and the case-blind comparisons behave as a sort needs them to.
#include <iconv.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Cp1251.h"
#include "FuzzRequire.h"

namespace {

namespace cp1251 = quorrel::cp1251;

// The system's iconv is an independent table: its UTF-8 decoder refuses overlong forms,
// surrogates and values past U+10FFFF, and its Windows-1251 leaves 0x98 undefined.
std::optional<std::string> Iconv(const char* to, const char* from, std::string input) {
    const iconv_t cd = iconv_open(to, from);
    QUORREL_REQUIRE(cd != reinterpret_cast<iconv_t>(-1));
    std::string out(input.size() * 4, '\0');
    char* src = input.data();
    char* dst = out.data();
    std::size_t srcLeft = input.size();
    std::size_t dstLeft = out.size();
    const bool ok = iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    return ok ? std::optional<std::string>(out) : std::nullopt;
}

int Sign(int v) {
    return (v > 0) - (v < 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string defined(input);
    std::erase(defined, '\x98');
    QUORREL_REQUIRE(cp1251::ToUtf8(defined) == Iconv("UTF-8", "CP1251", defined));
    const cp1251::Encoded back = cp1251::FromUtf8(cp1251::ToUtf8(input));
    QUORREL_REQUIRE(back.ok() && back.text == input);

    const cp1251::Encoded encoded = cp1251::FromUtf8(input);
    const std::optional<std::string> utf32 = Iconv("UTF-32LE", "UTF-8", std::string(input));
    QUORREL_REQUIRE(encoded.invalidUtf8 == !utf32.has_value());
    if (utf32) {
        std::string mapped;
        std::vector<char32_t> unmappable;
        for (std::size_t i = 0; i < utf32->size(); i += 4) {
            char32_t ch = 0;
            std::memcpy(&ch, utf32->data() + i, 4);
            if (const std::optional<std::uint8_t> byte = cp1251::FromUnicode(ch)) {
                QUORREL_REQUIRE(cp1251::ToUnicode(*byte) == ch);
                mapped.push_back(static_cast<char>(*byte));
            } else {
                unmappable.push_back(ch);
            }
        }
        QUORREL_REQUIRE(encoded.text == mapped && encoded.unmappable == unmappable);
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
