#include <windows.h>

#include "AtomicReplace.h"
#include "FileErrorCauseWindows.h"
#include "FileHandle.h"
#include "SavePatchFile.h"
#include "Win32Path.h"

namespace quorrel {

namespace {

SaveResult WriteFailed(DWORD error) {
    return {SaveOutcome::WriteFailed, FileErrorCauseFromWindowsError(error)};
}

// Creates or empties the file and writes into it in place, for targets that cannot be
// replaced: devices, or a directory where no temporary file may be made. Others may read it
// meanwhile, not write it.
SaveResult WriteDirectly(const std::filesystem::path& path, std::string_view text) {
    FileHandle file(::CreateFileW(Win32Path(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    if (!file.valid()) {
        return {SaveOutcome::CannotOpen, FileErrorCauseFromWindowsError(::GetLastError())};
    }
    DWORD error = 0;
    if (!WriteAll(file.get(), text, error)) {
        return WriteFailed(error);
    }
    if (::GetFileType(file.get()) == FILE_TYPE_DISK && !::FlushFileBuffers(file.get())) {
        return WriteFailed(::GetLastError());
    }
    if (const DWORD closeError = file.Close(); closeError != 0) {
        return WriteFailed(closeError);
    }
    return {};
}

}  // namespace

SaveResult SavePatchFile(const std::filesystem::path& path, std::string_view text) {
    const ReplaceResult replaced = ReplaceFileAtomically(path, text);
    switch (replaced.status) {
        case ReplaceResult::Status::Replaced:
            return {};
        case ReplaceResult::Status::Failed:
            return WriteFailed(static_cast<DWORD>(replaced.error));
        case ReplaceResult::Status::NotRegular:
        case ReplaceResult::Status::NoTemporary:
            break;
    }
    return WriteDirectly(path, text);
}

}  // namespace quorrel
