#include <gtest/gtest.h>

#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

#include "DiffBuilder.h"
#include "HexEncoder.h"

namespace quorrel {
namespace {

// Every length across the block sizes and their tails, from every alignment; the input holds all
// 256 byte values, and the guards around the output catch a write outside it.
TEST(HexEncoderTest, EveryEncoderMatchesTheReference) {
    constexpr std::size_t kMaxLength = 300;
    constexpr std::size_t kStarts = 32;
    std::string input(kMaxLength + kStarts, '\0');
    for (std::size_t i = 0; i < input.size(); ++i) {
        input[i] = static_cast<char>(i * 167 + 13);  // odd step: a permutation of 0..255
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(input.data());
    std::vector<HexEncoder> encoders(HexEncoders().begin(), HexEncoders().end());
    encoders.push_back({"dispatch", PutHex, [] { return true; }});
    for (const HexEncoder& e : encoders) {
        if (!e.supported()) {
            std::cout << e.name << " is not supported here, not tested\n";
            continue;
        }
        for (std::size_t start = 0; start < kStarts; ++start) {
            const std::size_t at = start * 5 % kStarts;  // output misaligned unlike the input
            for (std::size_t n = 0; n <= kMaxLength; ++n) {
                std::string out(2 * kMaxLength + kStarts + 1, '#');
                const char* const end = e.encode(out.data() + at, bytes + start, n);
                const std::string want =
                    std::string(at, '#') + test::Hex({input.data() + start, n}) + '#';
                ASSERT_EQ(out.substr(0, want.size()), want) << e.name << " from " << start;
                ASSERT_EQ(end - out.data(), static_cast<std::ptrdiff_t>(want.size() - 1)) << e.name;
            }
        }
    }
}

}  // namespace
}  // namespace quorrel
