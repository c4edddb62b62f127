#include "ReferenceCase.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace quorrel::bench {

namespace {

// splitmix64: fast, and random enough that no byte pattern flatters the hex encoder.
void FillRandom(char* out, std::size_t n, std::uint64_t seed) {
    std::uint64_t state = seed;
    for (std::size_t i = 0; i < n; i += 8) {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15u);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        z ^= z >> 31;
        std::memcpy(out + i, &z, n - i < 8 ? n - i : 8);
    }
}

char* PutLe32(char* out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        *out++ = static_cast<char>((value >> shift) & 0xFFu);
    }
    return out;
}

char* Put(char* out, const char* four) {
    std::memcpy(out, four, 4);
    return out + 4;
}

}  // namespace

ReferenceCase MakeSpreadCase(std::size_t newBytes, std::size_t blockBytes, std::size_t imageBytes,
                             std::uint64_t seed) {
    const std::size_t blocks = (newBytes + blockBytes - 1) / blockBytes;
    const std::size_t stride = blocks > 1 ? std::max(blockBytes, imageBytes / blocks) : 0;
    ReferenceCase ref;
    ref.image.resize(imageBytes);
    FillRandom(ref.image.data(), ref.image.size(), 1);

    ref.diff.resize(32 + blocks * 16 + newBytes);
    char* out = ref.diff.data();
    out = Put(out, "SPFD");
    out = Put(out, "SGHA");
    std::memcpy(out, "BENCH\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 24);
    out += 24;
    for (std::size_t b = 0; b < blocks; ++b) {
        const std::size_t n = std::min(blockBytes, newBytes - b * blockBytes);
        out = Put(out, "FBLK");
        out = Put(out, "NORD");
        out = PutLe32(out, static_cast<std::uint32_t>(n + 4));
        out = PutLe32(out, static_cast<std::uint32_t>(b * stride));
        FillRandom(out, n, seed * 1000003 + 1000 + b);
        out += n;
    }
    return ref;
}

ReferenceCase MakeReferenceCase(std::size_t newBytes) {
    return MakeSpreadCase(newBytes, kBlockBytes, newBytes, 0);
}

}  // namespace quorrel::bench
