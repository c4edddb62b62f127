// Writes the reference case as files: quorrel-bench-data DIR [MIB]
// gives DIR/ref.dif and DIR/image.bin with MIB MiB of new bytes (64 by default).
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
    const auto ref =
        quorrel::bench::MakeReferenceCase(static_cast<std::size_t>(mib) * quorrel::bench::kMiB);
    if (!WriteFile(dir + "/ref.dif", ref.diff) || !WriteFile(dir + "/image.bin", ref.image)) {
        std::perror(argv[0]);
        return 1;
    }
    return 0;
}
