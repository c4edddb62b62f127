#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace quorrel {

// Writes two lower-case hexadecimal digits per byte, high digit first, into out[0, 2n) and
// returns out + 2n. Reads bytes[0, n) only.
using HexEncodeFunction = char* (*)(char* out, const std::uint8_t* bytes, std::size_t n);

struct HexEncoder {
    std::string_view name;
    HexEncodeFunction encode;
    bool (*supported)();  // whether this processor can run `encode`
};

// The fastest encoder this processor supports, chosen on the first call.
char* PutHex(char* out, const std::uint8_t* bytes, std::size_t n);

// Every encoder built into this program, slowest (and portable) first, so tests and benchmarks
// can run each one.
std::span<const HexEncoder> HexEncoders();

}  // namespace quorrel
