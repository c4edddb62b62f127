// Writes settings from a process of its own, for the tests of writers in several processes.
//   SettingsWriter defaults PATH        loads the author settings from PATH
//   SettingsWriter append PATH N TEXT   appends TEXT to PATH N times, each under the lock
// The exit code is 0 when every value and write came out as expected.
#include <windows.h>

#include <string>
#include <vector>

#include "FileSystemName.h"
#include "SettingsFile.h"
#include "UpdateFileUnderLock.h"

namespace {

bool Defaults(const quorrel::SettingsFile& settings) {
    const quorrel::AuthorSettings s = settings.LoadAuthorSettings();
    return s.formatVersion == quorrel::kDefaultFormatVersion &&
           s.author.nickname == quorrel::kDefaultNickName && s.author.www == quorrel::kDefaultWww;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.push_back(quorrel::NameFromPath(argv[i]));
    }
    if (args.size() == 2 && args[0] == "defaults") {
        return Defaults(quorrel::SettingsFile(args[1])) ? 0 : 1;
    }
    if (args.size() == 4 && args[0] == "append") {
        bool ok = true;
        for (int n = std::stoi(args[2]); n > 0; --n) {
            ok = quorrel::UpdateFileUnderLock(
                     args[1],
                     [&](std::string_view current) { return std::string(current) + args[3]; }) &&
                 ok;
        }
        return ok ? 0 : 1;
    }
    return 2;
}
