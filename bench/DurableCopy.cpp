// The floor a conversion is measured against: its output bytes made durable in new files by one
// process, with nothing composed:
//   quorrel-durable-copy SOURCE TARGET [SOURCE TARGET...]
// reads each SOURCE whole and writes it to a new TARGET, then fsyncs and closes it.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "ReadWholeFile.h"

namespace {

bool Copy(const char* source, const char* target) {
    const quorrel::LoadedFile file = quorrel::ReadWholeFile(source);
    const std::string_view bytes = file.view();
    ::unlink(target);
    const int fd = ::open(target, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (file.failed() || fd < 0) {
        return false;
    }
    bool ok = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    ok = ::fsync(fd) == 0 && ok;
    return ::close(fd) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc % 2 == 0) {
        std::fprintf(stderr, "usage: %s SOURCE TARGET [SOURCE TARGET...]\n", argv[0]);
        return 2;
    }
    for (int i = 1; i < argc; i += 2) {
        if (!Copy(argv[i], argv[i + 1])) {
            std::perror(argv[i + 1]);
            return 1;
        }
    }
    return 0;
}
