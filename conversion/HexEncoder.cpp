#include "HexEncoder.h"

#include <array>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#define QUORREL_HEX_X86 1
#include <immintrin.h>
#endif

namespace quorrel {

namespace {

// Two lower-case digits per byte value, so each byte costs one two-byte copy.
constexpr std::array<char, 512> MakeHexPairs() {
    constexpr char digits[] = "0123456789abcdef";
    std::array<char, 512> pairs{};
    for (unsigned v = 0; v < 256; ++v) {
        pairs[2 * v] = digits[v >> 4];
        pairs[2 * v + 1] = digits[v & 0xFu];
    }
    return pairs;
}
constexpr std::array<char, 512> kHexPairs = MakeHexPairs();

char* PutHexTable(char* out, const std::uint8_t* bytes, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        std::memcpy(out + 2 * i, &kHexPairs[2u * bytes[i]], 2);
    }
    return out + 2 * n;
}

bool Always() {
    return true;
}

#ifdef QUORREL_HEX_X86

// Each nibble indexes the digit table with pshufb; interleaving the high and low digits puts
// every byte's pair in order.
__attribute__((target("ssse3"))) void Put16(char* out, const std::uint8_t* bytes) {
    const __m128i digits = _mm_setr_epi8('0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'a', 'b',
                                         'c', 'd', 'e', 'f');
    const __m128i nibble = _mm_set1_epi8(0x0F);
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i_u*>(bytes));
    const __m128i high = _mm_shuffle_epi8(digits, _mm_and_si128(_mm_srli_epi16(v, 4), nibble));
    const __m128i low = _mm_shuffle_epi8(digits, _mm_and_si128(v, nibble));
    _mm_storeu_si128(reinterpret_cast<__m128i_u*>(out), _mm_unpacklo_epi8(high, low));
    _mm_storeu_si128(reinterpret_cast<__m128i_u*>(out + 16), _mm_unpackhi_epi8(high, low));
}

// A tail shorter than a block is encoded as the last whole block, overlapping digits already
// written with the same values.
__attribute__((target("ssse3"))) char* PutHexSsse3(char* out, const std::uint8_t* bytes,
                                                   std::size_t n) {
    if (n < 16) {
        return PutHexTable(out, bytes, n);
    }
    for (std::size_t i = 0; i + 16 <= n; i += 16) {
        Put16(out + 2 * i, bytes + i);
    }
    Put16(out + 2 * (n - 16), bytes + n - 16);
    return out + 2 * n;
}

__attribute__((target("avx2"))) void Put32(char* out, const std::uint8_t* bytes) {
    const __m256i digits = _mm256_setr_epi8('0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'a',
                                            'b', 'c', 'd', 'e', 'f', '0', '1', '2', '3', '4', '5',
                                            '6', '7', '8', '9', 'a', 'b', 'c', 'd', 'e', 'f');
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    // pshufb and unpack stay within 128-bit lanes: ordering the quarters 0, 2, 1, 3 first makes
    // the low unpack the first 32 digits and the high unpack the last 32.
    const __m256i v = _mm256_permute4x64_epi64(
        _mm256_loadu_si256(reinterpret_cast<const __m256i_u*>(bytes)), 0xD8);
    const __m256i high =
        _mm256_shuffle_epi8(digits, _mm256_and_si256(_mm256_srli_epi16(v, 4), nibble));
    const __m256i low = _mm256_shuffle_epi8(digits, _mm256_and_si256(v, nibble));
    _mm256_storeu_si256(reinterpret_cast<__m256i_u*>(out), _mm256_unpacklo_epi8(high, low));
    _mm256_storeu_si256(reinterpret_cast<__m256i_u*>(out + 32), _mm256_unpackhi_epi8(high, low));
}

__attribute__((target("avx2"))) char* PutHexAvx2(char* out, const std::uint8_t* bytes,
                                                 std::size_t n) {
    if (n < 32) {
        return PutHexSsse3(out, bytes, n);
    }
    for (std::size_t i = 0; i + 32 <= n; i += 32) {
        Put32(out + 2 * i, bytes + i);
    }
    Put32(out + 2 * (n - 32), bytes + n - 32);
    return out + 2 * n;
}

bool HasSsse3() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3");
}

bool HasAvx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

constexpr HexEncoder kEncoders[] = {
    {"table", PutHexTable, Always},
    {"ssse3", PutHexSsse3, HasSsse3},
    {"avx2", PutHexAvx2, HasAvx2},
};

#else

constexpr HexEncoder kEncoders[] = {
    {"table", PutHexTable, Always},
};

#endif

HexEncodeFunction Fastest() {
    HexEncodeFunction best = PutHexTable;
    for (const HexEncoder& e : kEncoders) {
        if (e.supported()) {
            best = e.encode;
        }
    }
    return best;
}

}  // namespace

char* PutHex(char* out, const std::uint8_t* bytes, std::size_t n) {
    static const HexEncodeFunction fastest = Fastest();
    return fastest(out, bytes, n);
}

std::span<const HexEncoder> HexEncoders() {
    return kEncoders;
}

}  // namespace quorrel
