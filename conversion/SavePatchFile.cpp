#include "SavePatchFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "AtomicReplace.h"
#include "FileDescriptor.h"
#include "FileErrorText.h"

namespace quorrel {

namespace {

SaveResult WriteFailed(int error) {
    return {SaveOutcome::WriteFailed, FileErrorCauseFromErrno(error < 0 ? 0 : error)};
}

// Creates or truncates the file and writes into it in place, for targets that cannot be replaced.
SaveResult WriteDirectly(const std::string& path, std::string_view text) {
    FileDescriptor fd(
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666));
    if (!fd.valid()) {
        return {SaveOutcome::CannotOpen, FileErrorCauseFromErrno(errno)};
    }
    if (const int error = WriteAll(fd.get(), text); error != 0) {
        return WriteFailed(error);
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) == 0 && S_ISREG(info.st_mode) && ::fsync(fd.get()) != 0) {
        return WriteFailed(errno);
    }
    if (const int error = fd.Close(); error != 0) {
        return WriteFailed(error);
    }
    return {};
}

}  // namespace

SaveResult SavePatchFile(const std::filesystem::path& path, std::string_view text) {
    const ReplaceResult replaced = ReplaceFileAtomically(path.native(), text);
    switch (replaced.status) {
        case ReplaceResult::Status::Replaced:
            return {};
        case ReplaceResult::Status::Failed:
            return WriteFailed(replaced.error);
        case ReplaceResult::Status::NotRegular:
        case ReplaceResult::Status::NoTemporary:
            break;
    }
    return WriteDirectly(path.native(), text);
}

}  // namespace quorrel
