#include "HexDecoder.h"

#include <array>

#if defined(__x86_64__) || defined(__i386__)
#define QUORREL_HEX_X86 1
#include <immintrin.h>
#endif

namespace quorrel {

namespace {

// Each character's digit value, or 0xFF.
constexpr std::array<std::uint8_t, 256> MakeDigitValues() {
    std::array<std::uint8_t, 256> values{};
    for (unsigned c = 0; c < 256; ++c) {
        values[c] = c >= '0' && c <= '9'   ? static_cast<std::uint8_t>(c - '0')
                    : c >= 'a' && c <= 'f' ? static_cast<std::uint8_t>(c - 'a' + 10)
                    : c >= 'A' && c <= 'F' ? static_cast<std::uint8_t>(c - 'A' + 10)
                                           : 0xFF;
    }
    return values;
}
constexpr std::array<std::uint8_t, 256> kDigitValues = MakeDigitValues();

std::uint8_t Value(char c) {
    return kDigitValues[static_cast<unsigned char>(c)];
}

bool DecodeTable(std::uint8_t* out, const char* digits, std::size_t n) {
    unsigned bad = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned high = Value(digits[2 * i]);
        const unsigned low = Value(digits[2 * i + 1]);
        bad |= high | low;
        out[i] = static_cast<std::uint8_t>(high << 4 | low);
    }
    return (bad & 0xF0u) == 0;
}

bool Always() {
    return true;
}

std::size_t DigitRunScalar(const char* text, std::size_t n) {
    std::size_t i = 0;
    while (i < n && Value(text[i]) != 0xFF) {
        ++i;
    }
    return i;
}

#ifdef QUORREL_HEX_X86

// The digit values of 16 characters, and in `bad` the lanes that are no hex digit: an unsigned
// range check is max(x, limit) == limit.
__attribute__((target("ssse3"))) __m128i Values16(__m128i c, __m128i& bad) {
    const __m128i digit = _mm_sub_epi8(c, _mm_set1_epi8('0'));
    const __m128i isDigit = _mm_cmpeq_epi8(_mm_max_epu8(digit, _mm_set1_epi8(9)), _mm_set1_epi8(9));
    const __m128i letter = _mm_sub_epi8(_mm_or_si128(c, _mm_set1_epi8(0x20)), _mm_set1_epi8('a'));
    const __m128i isLetter =
        _mm_cmpeq_epi8(_mm_max_epu8(letter, _mm_set1_epi8(5)), _mm_set1_epi8(5));
    bad = _mm_or_si128(bad, _mm_andnot_si128(_mm_or_si128(isDigit, isLetter), _mm_set1_epi8(-1)));
    return _mm_or_si128(_mm_and_si128(isDigit, digit),
                        _mm_and_si128(isLetter, _mm_add_epi8(letter, _mm_set1_epi8(10))));
}

// 32 digits into 16 bytes: pmaddubsw makes high * 16 + low of each pair, packuswb the bytes.
__attribute__((target("ssse3"))) void Decode16(std::uint8_t* out, const char* digits,
                                               __m128i& bad) {
    const __m128i pair = _mm_set1_epi16(0x0110);
    const __m128i a = Values16(_mm_loadu_si128(reinterpret_cast<const __m128i_u*>(digits)), bad);
    const __m128i b =
        Values16(_mm_loadu_si128(reinterpret_cast<const __m128i_u*>(digits + 16)), bad);
    _mm_storeu_si128(reinterpret_cast<__m128i_u*>(out),
                     _mm_packus_epi16(_mm_maddubs_epi16(a, pair), _mm_maddubs_epi16(b, pair)));
}

// A tail shorter than a block is decoded as the last whole block, overlapping bytes already
// written with the same values.
__attribute__((target("ssse3"))) bool DecodeSsse3(std::uint8_t* out, const char* digits,
                                                  std::size_t n) {
    if (n < 16) {
        return DecodeTable(out, digits, n);
    }
    __m128i bad = _mm_setzero_si128();
    for (std::size_t i = 0; i + 16 <= n; i += 16) {
        Decode16(out + i, digits + 2 * i, bad);
    }
    Decode16(out + n - 16, digits + 2 * (n - 16), bad);
    return _mm_movemask_epi8(bad) == 0;
}

__attribute__((target("avx2"))) __m256i Values32(__m256i c, __m256i& bad) {
    const __m256i digit = _mm256_sub_epi8(c, _mm256_set1_epi8('0'));
    const __m256i isDigit =
        _mm256_cmpeq_epi8(_mm256_max_epu8(digit, _mm256_set1_epi8(9)), _mm256_set1_epi8(9));
    const __m256i letter =
        _mm256_sub_epi8(_mm256_or_si256(c, _mm256_set1_epi8(0x20)), _mm256_set1_epi8('a'));
    const __m256i isLetter =
        _mm256_cmpeq_epi8(_mm256_max_epu8(letter, _mm256_set1_epi8(5)), _mm256_set1_epi8(5));
    bad = _mm256_or_si256(
        bad, _mm256_andnot_si256(_mm256_or_si256(isDigit, isLetter), _mm256_set1_epi8(-1)));
    return _mm256_or_si256(
        _mm256_and_si256(isDigit, digit),
        _mm256_and_si256(isLetter, _mm256_add_epi8(letter, _mm256_set1_epi8(10))));
}

// packuswb works within 128-bit lanes: its quarters come out as a0 b0 a1 b1, put in order after.
__attribute__((target("avx2"))) void Decode32(std::uint8_t* out, const char* digits, __m256i& bad) {
    const __m256i pair = _mm256_set1_epi16(0x0110);
    const __m256i a = Values32(_mm256_loadu_si256(reinterpret_cast<const __m256i_u*>(digits)), bad);
    const __m256i b =
        Values32(_mm256_loadu_si256(reinterpret_cast<const __m256i_u*>(digits + 32)), bad);
    const __m256i packed =
        _mm256_packus_epi16(_mm256_maddubs_epi16(a, pair), _mm256_maddubs_epi16(b, pair));
    _mm256_storeu_si256(reinterpret_cast<__m256i_u*>(out), _mm256_permute4x64_epi64(packed, 0xD8));
}

__attribute__((target("avx2"))) bool DecodeAvx2(std::uint8_t* out, const char* digits,
                                                std::size_t n) {
    if (n < 32) {
        return DecodeSsse3(out, digits, n);
    }
    __m256i bad = _mm256_setzero_si256();
    for (std::size_t i = 0; i + 32 <= n; i += 32) {
        Decode32(out + i, digits + 2 * i, bad);
    }
    Decode32(out + n - 32, digits + 2 * (n - 32), bad);
    return _mm256_movemask_epi8(bad) == 0;
}

// SSE2 is part of every x86-64 processor, so the scan needs no choice.
std::size_t DigitRunSse2(const char* text, std::size_t n) {
    std::size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i_u*>(text + i));
        const __m128i digit = _mm_sub_epi8(c, _mm_set1_epi8('0'));
        const __m128i letter =
            _mm_sub_epi8(_mm_or_si128(c, _mm_set1_epi8(0x20)), _mm_set1_epi8('a'));
        const __m128i ok =
            _mm_or_si128(_mm_cmpeq_epi8(_mm_max_epu8(digit, _mm_set1_epi8(9)), _mm_set1_epi8(9)),
                         _mm_cmpeq_epi8(_mm_max_epu8(letter, _mm_set1_epi8(5)), _mm_set1_epi8(5)));
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(ok));
        if (mask != 0xFFFFu) {
            return i + static_cast<std::size_t>(__builtin_ctz(~mask));
        }
    }
    return i + DigitRunScalar(text + i, n - i);
}

__attribute__((target("avx2"))) std::size_t DigitRunAvx2(const char* text, std::size_t n) {
    std::size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i_u*>(text + i));
        const __m256i digit = _mm256_sub_epi8(c, _mm256_set1_epi8('0'));
        const __m256i letter =
            _mm256_sub_epi8(_mm256_or_si256(c, _mm256_set1_epi8(0x20)), _mm256_set1_epi8('a'));
        const __m256i ok = _mm256_or_si256(
            _mm256_cmpeq_epi8(_mm256_max_epu8(digit, _mm256_set1_epi8(9)), _mm256_set1_epi8(9)),
            _mm256_cmpeq_epi8(_mm256_max_epu8(letter, _mm256_set1_epi8(5)), _mm256_set1_epi8(5)));
        const auto mask = static_cast<unsigned>(_mm256_movemask_epi8(ok));
        if (mask != 0xFFFFFFFFu) {
            return i + static_cast<std::size_t>(__builtin_ctz(~mask));
        }
    }
    return i + DigitRunSse2(text + i, n - i);
}

bool HasSsse3() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3");
}

bool HasAvx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

constexpr HexDecoder kDecoders[] = {
    {"table", DecodeTable, Always},
    {"ssse3", DecodeSsse3, HasSsse3},
    {"avx2", DecodeAvx2, HasAvx2},
};

#else

constexpr HexDecoder kDecoders[] = {
    {"table", DecodeTable, Always},
};

#endif

HexDecodeFunction Fastest() {
    HexDecodeFunction best = DecodeTable;
    for (const HexDecoder& d : kDecoders) {
        if (d.supported()) {
            best = d.decode;
        }
    }
    return best;
}

}  // namespace

bool DecodeHex(std::uint8_t* out, const char* digits, std::size_t n) {
    static const HexDecodeFunction fastest = Fastest();
    return fastest(out, digits, n);
}

std::span<const HexDecoder> HexDecoders() {
    return kDecoders;
}

std::size_t HexDigitRun(const char* text, std::size_t n) {
#ifdef QUORREL_HEX_X86
    static const auto run = HasAvx2() ? DigitRunAvx2 : DigitRunSse2;
    return run(text, n);
#else
    return DigitRunScalar(text, n);
#endif
}

}  // namespace quorrel
