#include "DiffBuilder.h"

namespace quorrel::test {

std::string CountingBytes(std::size_t n, std::uint8_t first) {
    std::string out(n, '\0');
    for (std::size_t i = 0; i < n; ++i) {
        out[i] = static_cast<char>(first + i);
    }
    return out;
}

std::string Hex(std::string_view bytes) {
    std::string out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out += "0123456789abcdef"[b >> 4];
        out += "0123456789abcdef"[b & 0xFu];
    }
    return out;
}

}  // namespace quorrel::test
