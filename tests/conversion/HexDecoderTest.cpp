#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

#include "DiffBuilder.h"
#include "HexDecoder.h"

namespace quorrel {
namespace {

// Every length across the block sizes and their tails, from every alignment, in both cases; one
// character that is no digit, at every position, is refused and stops a digit run there; the
// guards around the output catch a write outside it.
TEST(HexDecoderTest, EveryDecoderMatchesTheReference) {
    constexpr std::size_t kMaxLength = 100;
    std::string bytes(kMaxLength + 8, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i * 167 + 13);  // odd step: a permutation of 0..255
    }
    std::string upper = test::Hex(bytes);
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    std::vector<HexDecoder> decoders(HexDecoders().begin(), HexDecoders().end());
    decoders.push_back({"dispatch", DecodeHex, [] { return true; }});
    for (const HexDecoder& d : decoders) {
        if (!d.supported()) {
            std::cout << d.name << " is not supported here, not tested\n";
            continue;
        }
        for (std::size_t start = 0; start < 8; ++start) {
            for (std::size_t n = 0; n <= kMaxLength; ++n) {
                const std::string want = bytes.substr(start, n);
                for (const std::string& digits : {test::Hex(bytes), upper}) {
                    std::string out(n + 2, '#');
                    ASSERT_TRUE(d.decode(reinterpret_cast<std::uint8_t*>(out.data() + 1),
                                         digits.data() + 2 * start, n))
                        << d.name << " " << n;
                    ASSERT_EQ(out, '#' + want + '#') << d.name << " from " << start;
                }
                std::string digits = test::Hex(want);
                for (std::size_t bad = 0; bad < digits.size(); ++bad) {
                    const char kept = digits[bad];
                    for (const char c : {'g', '/', ':', '@', 'G', '`', '\0', '\xB0'}) {
                        digits[bad] = c;
                        std::string out(n, '#');
                        ASSERT_FALSE(
                            d.decode(reinterpret_cast<std::uint8_t*>(out.data()), digits.data(), n))
                            << d.name << " " << n << " at " << bad;
                        ASSERT_EQ(HexDigitRun(digits.data(), digits.size()), bad);
                    }
                    digits[bad] = kept;
                }
                ASSERT_EQ(HexDigitRun(digits.data(), digits.size()), digits.size());
            }
        }
    }
}

}  // namespace
}  // namespace quorrel
