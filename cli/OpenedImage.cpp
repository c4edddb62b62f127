#include "OpenedImage.h"

#include "FileSystemName.h"
#include "InputFile.h"
#include "ReadInput.h"

namespace quorrel {

void OpenedImage::Open(const std::string& path, bool whole) {
    if (path == "-" || whole) {
        whole_ = ReadInput(path);
        if (!whole_.failed()) {
            loaded_.emplace(whole_);
        }
        return;
    }
    InputFile file(PathFromName(path));
    if (file.open() && file.size() < LoadedFile::kFailedRead) {
        file_.emplace(std::move(file));
    }
}

FirmwareBytes* OpenedImage::bytes() {
    if (loaded_) {
        return &*loaded_;
    }
    return file_ ? &*file_ : nullptr;
}

std::uint32_t OpenedImage::size() {
    FirmwareBytes* b = bytes();
    return b != nullptr ? b->size() : LoadedFile::kFailedRead;
}

}  // namespace quorrel
