// Writes the image comparison cases as files:
//   quorrel-bench-images DIR [MIB]
// DIR/old.bin (MIB MiB, 64 by default, pseudo-random), DIR/same.bin (a copy of it),
// DIR/sparse.bin (0.1 % of its bytes changed, at pseudo-random places) and DIR/runs.bin (changed
// in 16 KiB runs, 16 unchanged bytes apart: a patch of four times the image).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

constexpr std::size_t kMiB = 1024 * 1024;
constexpr std::size_t kRun = 16 * 1024;
constexpr std::size_t kGap = 16;

struct SplitMix {
    std::uint64_t state;
    std::uint64_t operator()() {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15u);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return z ^ (z >> 31);
    }
};

// Never zero, so a byte it changes does change.
char Flip(SplitMix& random) {
    const auto bits = static_cast<unsigned char>(random());
    return static_cast<char>(bits == 0 ? 0x5A : bits);
}

bool WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s DIR [MIB]\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    const long mib = argc == 3 ? std::strtol(argv[2], nullptr, 10) : 64;
    if (mib <= 0 || mib > 1024) {
        std::fprintf(stderr, "%s: MIB must lie in 1..1024\n", argv[0]);
        return 2;
    }
    const std::size_t size = static_cast<std::size_t>(mib) * kMiB;
    SplitMix random{7};
    std::string old(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        old[i] = static_cast<char>(random());
    }
    std::string sparse = old;
    for (std::size_t k = 0; k < size / 1000; ++k) {
        const std::size_t at = random() % size;
        sparse[at] = static_cast<char>(old[at] ^ Flip(random));
    }
    std::string runs = old;
    for (std::size_t at = 0; at < size; at += kRun + kGap) {
        for (std::size_t i = at; i < at + kRun && i < size; ++i) {
            runs[i] = static_cast<char>(old[i] ^ Flip(random));
        }
    }
    if (!WriteFile(dir + "/old.bin", old) || !WriteFile(dir + "/same.bin", old) ||
        !WriteFile(dir + "/sparse.bin", sparse) || !WriteFile(dir + "/runs.bin", runs)) {
        std::perror(argv[0]);
        return 1;
    }
    return 0;
}
