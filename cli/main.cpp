#include <csignal>
#include <string>
#include <vector>

#include "RunCli.h"

#ifdef _WIN32

#include <fcntl.h>
#include <io.h>

#include "FileSystemName.h"

// The wide command line keeps every character of every argument whatever the code page; the
// arguments go on as WTF-8, which option texts read as UTF-8 and file names turn back into
// the same wide names.
int wmain(int argc, wchar_t** argv) {
    // Patches and DIFF files are bytes: no CR LF translation on the standard streams.
    for (const int fd : {0, 1, 2}) {
        ::_setmode(fd, _O_BINARY);
    }
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.push_back(quorrel::NameFromPath(argv[i]));
    }
    return static_cast<int>(quorrel::RunCli(args));
}

#else

#include "StandardDescriptors.h"

int main(int argc, char** argv) {
    quorrel::OpenStandardDescriptors();
    // A closed pipe on standard output must be a reported write error, not a silent death.
    std::signal(SIGPIPE, SIG_IGN);
    // So is a file size limit (ulimit -f): a disk-full error, not a death that leaves a
    // temporary file behind.
    std::signal(SIGXFSZ, SIG_IGN);
    const std::vector<std::string> args(argv + 1, argv + argc);
    return static_cast<int>(quorrel::RunCli(args));
}

#endif
