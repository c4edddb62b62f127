#include "ReadInput.h"

#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "FileSystemName.h"
#include "ReadWholeFile.h"

namespace quorrel {

namespace {

constexpr std::uint64_t kLargestInput = 0xFFFFFFFEu;

LoadedFile ReadStandardInput() {
    std::string bytes;
    char buffer[64 * 1024];
    while (true) {
        const ssize_t got = ::read(0, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return LoadedFile();
        }
        if (got == 0) {
            return LoadedFile::FromBytes(bytes);
        }
        // Stop as soon as the input is too large rather than holding all of it.
        if (bytes.size() + static_cast<std::uint64_t>(got) > kLargestInput) {
            return LoadedFile();
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

}  // namespace

LoadedFile ReadInput(const std::string& path) {
    return path == "-" ? ReadStandardInput() : ReadWholeFile(PathFromName(path));
}

}  // namespace quorrel
