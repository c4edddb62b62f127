// Appends TEXT to PATH N times, each under the lock, from a process of its own, for the tests of
// writers in several processes: SettingsWriter PATH N TEXT. Exits 0 when every write was done.
#include <string>
#include <vector>

#include "FileSystemName.h"
#include "UpdateFileUnderLock.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        return 2;
    }
    const std::string path = quorrel::NameFromPath(argv[1]);
    const std::string text = quorrel::NameFromPath(argv[3]);
    bool ok = true;
    for (int n = std::stoi(argv[2]); n > 0; --n) {
        ok = quorrel::UpdateFileUnderLock(
                 path, [&](std::string_view current) { return std::string(current) + text; }) &&
             ok;
    }
    return ok ? 0 : 1;
}
