// Runs a command and records its wall time, peak resident memory and minor page faults (each a
// first touch of a fresh page: their count does not depend on the machine):
//   quorrel-measure RESULT_FILE COMMAND [ARG...]
// writes "SECONDS MAX_RSS_KIB MINOR_FAULTS" to RESULT_FILE and exits with the command's status.
// A second line holds "BYTES_READ BYTES_WRITTEN", what its system calls moved (-1 where the
// system does not tell).
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s RESULT_FILE COMMAND [ARG...]\n", argv[0]);
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child < 0) {
        std::perror("fork");
        return 2;
    }
    if (child == 0) {
        ::execvp(argv[2], argv + 2);
        std::perror(argv[2]);
        ::_exit(127);
    }
    // The exited child's I/O counts can be read until it is reaped.
    long long bytesRead = -1;
    long long bytesWritten = -1;
    siginfo_t exited{};
    while (::waitid(P_PID, static_cast<id_t>(child), &exited, WEXITED | WNOWAIT) < 0 &&
           errno == EINTR) {
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (std::FILE* io = std::fopen(("/proc/" + std::to_string(child) + "/io").c_str(), "r")) {
        char key[32];
        long long value = 0;
        while (std::fscanf(io, "%31[^:]: %lld\n", key, &value) == 2) {
            if (std::string(key) == "rchar") {
                bytesRead = value;
            } else if (std::string(key) == "wchar") {
                bytesWritten = value;
            }
        }
        std::fclose(io);
    }
    int status = 0;
    struct rusage usage {};
    while (::wait4(child, &status, 0, &usage) < 0) {
        if (errno != EINTR) {
            std::perror("wait4");
            return 2;
        }
    }
    std::FILE* out = std::fopen(argv[1], "w");
    if (out == nullptr) {
        std::perror(argv[1]);
        return 2;
    }
    std::fprintf(out, "%.6f %ld %ld\n", seconds, usage.ru_maxrss, usage.ru_minflt);
    std::fprintf(out, "%lld %lld\n", bytesRead, bytesWritten);
    std::fclose(out);
    if (WIFSIGNALED(status)) {
        return 128 + WTERMSIG(status);
    }
    return WEXITSTATUS(status);
}
