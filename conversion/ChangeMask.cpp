#include "ChangeMask.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#define QUORREL_MASK_X86 1
#include <immintrin.h>
#endif

namespace quorrel {

namespace {

// The bits of the bytes from `from` to `n`, which no whole vector covers.
std::uint64_t TailBits(const std::uint8_t* a, const std::uint8_t* b, std::size_t from,
                       std::size_t n) {
    std::uint64_t bits = 0;
    for (std::size_t i = from; i < n; ++i) {
        bits |= static_cast<std::uint64_t>(a[i] != b[i]) << i;
    }
    return bits;
}

// Eight bytes at a time, looked at one by one only where they differ.
void MasksScalar(const std::uint8_t* a, const std::uint8_t* b, std::size_t n,
                 std::uint64_t* masks) {
    for (std::size_t word = 0; word * 64 < n; ++word) {
        const std::size_t base = word * 64;
        const std::size_t end = n - base < 64 ? n - base : 64;
        std::uint64_t bits = 0;
        std::size_t i = 0;
        for (; i + 8 <= end; i += 8) {
            std::uint64_t x = 0;
            std::uint64_t y = 0;
            std::memcpy(&x, a + base + i, 8);
            std::memcpy(&y, b + base + i, 8);
            if (x != y) {
                bits |= TailBits(a + base, b + base, i, i + 8);
            }
        }
        masks[word] = bits | TailBits(a + base, b + base, i, end);
    }
}

bool Always() {
    return true;
}

#ifdef QUORREL_MASK_X86

__attribute__((target("sse2"))) std::uint64_t Equal16(const std::uint8_t* a,
                                                      const std::uint8_t* b) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i_u*>(a));
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i_u*>(b));
    return static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, y)));
}

__attribute__((target("sse2"))) void MasksSse2(const std::uint8_t* a, const std::uint8_t* b,
                                               std::size_t n, std::uint64_t* masks) {
    std::size_t word = 0;
    for (; word * 64 + 64 <= n; ++word) {
        const std::size_t at = word * 64;
        const std::uint64_t equal =
            Equal16(a + at, b + at) | Equal16(a + at + 16, b + at + 16) << 16 |
            Equal16(a + at + 32, b + at + 32) << 32 | Equal16(a + at + 48, b + at + 48) << 48;
        masks[word] = ~equal;
    }
    if (word * 64 < n) {
        masks[word] = TailBits(a + word * 64, b + word * 64, 0, n - word * 64);
    }
}

__attribute__((target("avx2"))) std::uint64_t Equal32(const std::uint8_t* a,
                                                      const std::uint8_t* b) {
    const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i_u*>(a));
    const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i_u*>(b));
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(x, y)));
}

__attribute__((target("avx2"))) void MasksAvx2(const std::uint8_t* a, const std::uint8_t* b,
                                               std::size_t n, std::uint64_t* masks) {
    std::size_t word = 0;
    for (; word * 64 + 64 <= n; ++word) {
        const std::size_t at = word * 64;
        masks[word] = ~(Equal32(a + at, b + at) | Equal32(a + at + 32, b + at + 32) << 32);
    }
    if (word * 64 < n) {
        masks[word] = TailBits(a + word * 64, b + word * 64, 0, n - word * 64);
    }
}

bool HasSse2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("sse2");
}

bool HasAvx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

constexpr ChangeMasker kMaskers[] = {
    {"scalar", MasksScalar, Always},
    {"sse2", MasksSse2, HasSse2},
    {"avx2", MasksAvx2, HasAvx2},
};

#else

constexpr ChangeMasker kMaskers[] = {
    {"scalar", MasksScalar, Always},
};

#endif

ChangeMaskFunction Fastest() {
    ChangeMaskFunction best = MasksScalar;
    for (const ChangeMasker& m : kMaskers) {
        if (m.supported()) {
            best = m.masks;
        }
    }
    return best;
}

}  // namespace

void ChangeMasks(const std::uint8_t* a, const std::uint8_t* b, std::size_t n,
                 std::uint64_t* masks) {
    static const ChangeMaskFunction fastest = Fastest();
    fastest(a, b, n, masks);
}

std::span<const ChangeMasker> ChangeMaskers() {
    return kMaskers;
}

}  // namespace quorrel
