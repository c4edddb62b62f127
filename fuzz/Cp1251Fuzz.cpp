// The Windows-1251 codec: every byte string survives a trip through UTF-8; UTF-8 input is judged
// against the system's strict decoder, its unmappable characters reported in order; and the
// case-blind comparisons behave as a sort needs them to.
#include <iconv.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Cp1251.h"
#include "FuzzRequire.h"

namespace {

namespace cp1251 = quorrel::cp1251;

// glibc's decoder refuses overlong forms, surrogates and values past U+10FFFF.
std::optional<std::u32string> DecodeUtf8(std::string input) {
    static const iconv_t cd = iconv_open("UTF-32LE", "UTF-8");
    QUORREL_REQUIRE(cd != reinterpret_cast<iconv_t>(-1));
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::u32string out(input.size(), U'\0');
    char* src = input.data();
    char* dst = reinterpret_cast<char*>(out.data());
    std::size_t srcLeft = input.size();
    std::size_t dstLeft = out.size() * 4;
    if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1)) {
        return std::nullopt;
    }
    out.resize(out.size() - dstLeft / 4);
    return out;
}

int Sign(int v) {
    return (v > 0) - (v < 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const cp1251::Encoded back = cp1251::FromUtf8(cp1251::ToUtf8(input));
    QUORREL_REQUIRE(back.ok() && back.text == input);

    const cp1251::Encoded encoded = cp1251::FromUtf8(input);
    const std::optional<std::u32string> chars = DecodeUtf8(std::string(input));
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
