#pragma once

#include <cstddef>
#include <string_view>

namespace quorrel {

// A UTF-8 string literal turned into Windows-1251 bytes at compile time, so message texts stay
// readable in the source. Only ASCII, Russian letters and the few signs we use are accepted;
// anything else fails to compile.
template <std::size_t N>
class Cp1251Literal {
  public:
    consteval Cp1251Literal(const char (&utf8)[N]) {  // NOLINT: implicit by design
        std::size_t i = 0;
        while (i + 1 < N) {
            const auto b0 = static_cast<unsigned char>(utf8[i]);
            if (b0 < 0x80) {
                bytes_[length_++] = static_cast<char>(b0);
                ++i;
                continue;
            }
            if ((b0 & 0xE0u) == 0xC0u) {
                const auto b1 = static_cast<unsigned char>(utf8[i + 1]);
                Put(static_cast<char32_t>((b0 & 0x1Fu) << 6 | (b1 & 0x3Fu)));
                i += 2;
                continue;
            }
            if ((b0 & 0xF0u) == 0xE0u) {
                const auto b1 = static_cast<unsigned char>(utf8[i + 1]);
                const auto b2 = static_cast<unsigned char>(utf8[i + 2]);
                Put(static_cast<char32_t>((b0 & 0x0Fu) << 12 | (b1 & 0x3Fu) << 6 | (b2 & 0x3Fu)));
                i += 3;
                continue;
            }
            throw "unsupported character in a Windows-1251 literal";
        }
    }

    constexpr std::string_view view() const { return {bytes_, length_}; }
    constexpr operator std::string_view() const { return view(); }  // NOLINT

  private:
    consteval void Put(char32_t ch) {
        if (ch >= 0x0410 && ch <= 0x044F) {
            bytes_[length_++] = static_cast<char>(ch - 0x0410 + 0xC0);
        } else if (ch == 0x0401) {
            bytes_[length_++] = static_cast<char>(0xA8);
        } else if (ch == 0x0451) {
            bytes_[length_++] = static_cast<char>(0xB8);
        } else if (ch == 0x2116) {
            bytes_[length_++] = static_cast<char>(0xB9);
        } else if (ch == 0x00AB) {
            bytes_[length_++] = static_cast<char>(0xAB);
        } else if (ch == 0x00BB) {
            bytes_[length_++] = static_cast<char>(0xBB);
        } else if (ch == 0x2014) {
            bytes_[length_++] = static_cast<char>(0x97);
        } else if (ch == 0x00A9) {
            bytes_[length_++] = static_cast<char>(0xA9);
        } else {
            throw "unsupported character in a Windows-1251 literal";
        }
    }

    char bytes_[N] = {};
    std::size_t length_ = 0;
};

}  // namespace quorrel
