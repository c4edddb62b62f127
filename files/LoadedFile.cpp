#include "LoadedFile.h"

#include <cstring>

namespace quorrel {

LoadedFile LoadedFile::FromBytes(std::string_view bytes) {
    if (bytes.size() >= kFailedRead) {
        return {};
    }
    auto copy = std::make_unique_for_overwrite<std::uint8_t[]>(bytes.size());
    std::memcpy(copy.get(), bytes.data(), bytes.size());
    return Adopt(std::move(copy), static_cast<std::uint32_t>(bytes.size()));
}

LoadedFile LoadedFile::Adopt(std::unique_ptr<std::uint8_t[]> bytes, std::uint32_t size) {
    LoadedFile file;
    if (bytes != nullptr && size != kFailedRead) {
        file.bytes_ = std::move(bytes);
        file.size_ = size;
    }
    return file;
}

std::string_view LoadedFile::view() const {
    if (failed()) {
        return {};
    }
    return {reinterpret_cast<const char*>(bytes_.get()), size_};
}

void LoadedFile::Release() {
    bytes_.reset();
    size_ = kFailedRead;
}

}  // namespace quorrel
