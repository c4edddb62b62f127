// Writes the benchmark cases as files:
//   quorrel-bench-data DIR [MIB]        DIR/ref.dif and DIR/image.bin with MIB MiB of new bytes
//                                       (64 by default) in 16 KiB blocks
//   quorrel-bench-data --small DIR N    DIR/small.bin (16 MiB) and N DIFF files DIR/small-K.dif,
//                                       each 48,000 new bytes in 240-byte blocks
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "ReferenceCase.h"

namespace {

bool WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

}  // namespace

int WriteSmall(const std::string& dir, long count) {
    constexpr std::size_t kImage = 16 * quorrel::bench::kMiB;
    for (long k = 0; k < count; ++k) {
        const auto small =
            quorrel::bench::MakeSpreadCase(48000, 240, kImage, static_cast<std::uint64_t>(k) + 1);
        if ((k == 0 && !WriteFile(dir + "/small.bin", small.image)) ||
            !WriteFile(dir + "/small-" + std::to_string(k) + ".dif", small.diff)) {
            return 1;
        }
    }
    return 0;
}

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--small") {
        const long count = std::strtol(argv[3], nullptr, 10);
        if (count <= 0 || count > 10000) {
            std::fprintf(stderr, "%s: N must lie in 1..10000\n", argv[0]);
            return 2;
        }
        if (WriteSmall(argv[2], count) != 0) {
            std::perror(argv[0]);
            return 1;
        }
        return 0;
    }
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s DIR [MIB] | --small DIR N\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    const long mib = argc == 3 ? std::strtol(argv[2], nullptr, 10) : 64;
    if (mib <= 0 || mib > 1024) {
        std::fprintf(stderr, "%s: MIB must lie in 1..1024\n", argv[0]);
        return 2;
    }
    const auto ref =
        quorrel::bench::MakeReferenceCase(static_cast<std::size_t>(mib) * quorrel::bench::kMiB);
    if (!WriteFile(dir + "/ref.dif", ref.diff) || !WriteFile(dir + "/image.bin", ref.image)) {
        std::perror(argv[0]);
        return 1;
    }
    return 0;
}
