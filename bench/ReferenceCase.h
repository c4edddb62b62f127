#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quorrel::bench {

inline constexpr std::size_t kMiB = 1024 * 1024;
inline constexpr std::size_t kBlockBytes = 16 * 1024;

// A DIFF of `newBytes` replacement bytes in 16 KiB NORD blocks laid end to end over an image of
// the same size, both filled with pseudo-random bytes (fixed seed, so every run sees the same).
// The image covers every block but the last, which is written without old bytes.
struct ReferenceCase {
    std::string diff;
    std::string image;
};

ReferenceCase MakeReferenceCase(std::size_t newBytes);

// The everyday case: `newBytes` in blocks of `blockBytes` spread evenly over an image of
// `imageBytes`; `seed` varies the new bytes, the image stays the same.
ReferenceCase MakeSpreadCase(std::size_t newBytes, std::size_t blockBytes, std::size_t imageBytes,
                             std::uint64_t seed);

}  // namespace quorrel::bench
