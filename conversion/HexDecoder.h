#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace quorrel {

// Reads 2n hexadecimal digits of either case into n bytes, high digit first: out[0, n) from
// digits[0, 2n). False when a digit is not hexadecimal; `out` then holds anything.
using HexDecodeFunction = bool (*)(std::uint8_t* out, const char* digits, std::size_t n);

struct HexDecoder {
    std::string_view name;
    HexDecodeFunction decode;
    bool (*supported)();  // whether this processor can run `decode`
};

// The fastest decoder this processor supports, chosen on the first call.
bool DecodeHex(std::uint8_t* out, const char* digits, std::size_t n);

// Every decoder built into this program, slowest (and portable) first, so tests and benchmarks
// can run each one.
std::span<const HexDecoder> HexDecoders();

// How many hexadecimal digits `text[0, n)` starts with.
std::size_t HexDigitRun(const char* text, std::size_t n);

}  // namespace quorrel
