#include <csignal>
#include <string>
#include <vector>

#include "RunCli.h"

int main(int argc, char** argv) {
    // A closed pipe on standard output must be a reported write error, not a silent death.
    std::signal(SIGPIPE, SIG_IGN);
    const std::vector<std::string> args(argv + 1, argv + argc);
    return static_cast<int>(quorrel::RunCli(args));
}
