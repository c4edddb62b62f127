#include "InputBytes.h"

#include "FileSystemName.h"
#include "ReadInput.h"

namespace quorrel {

InputBytes::InputBytes(const std::string& path, std::size_t capacity) {
    if (path == "-") {
        held_ = ReadInput(path);
        if (!held_.failed()) {
            memory_.emplace(held_.view());
        }
        return;
    }
    InputFile file(PathFromName(path));
    // The same limit as a whole read, so both roads refuse the same files.
    if (!file.open() || file.size() >= LoadedFile::kFailedRead) {
        return;
    }
    file_.emplace(std::move(file));
    buffered_.emplace(
        file_->size(),
        [this](std::uint64_t offset, std::uint8_t* out, std::size_t n) {
            return file_->ReadAt(offset, out, n);
        },
        capacity);
}

ByteSource* InputBytes::bytes() {
    if (memory_) {
        return &*memory_;
    }
    return buffered_ ? &*buffered_ : nullptr;
}

}  // namespace quorrel
