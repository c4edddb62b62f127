#include <cstdio>

#include "SettingsFile.h"

// Writes the settings file that a first start writes, for the package to ship as its defaults.
int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fputs("usage: WriteDefaultSettings FILE\n", stderr);
        return 2;
    }
    quorrel::SettingsFile(argv[1]).LoadAuthorSettings();
    std::FILE* written = std::fopen(argv[1], "rb");
    if (written == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    std::fclose(written);
    return 0;
}
