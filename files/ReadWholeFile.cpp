#include "ReadWholeFile.h"

#include <new>

#include "InputFile.h"

namespace quorrel {

LoadedFile ReadWholeFile(const std::filesystem::path& path) {
    const InputFile file(path);
    if (!file.open() || file.size() >= LoadedFile::kFailedRead) {
        return {};
    }
    const auto size = static_cast<std::size_t>(file.size());
    std::unique_ptr<std::uint8_t[]> bytes(new (std::nothrow) std::uint8_t[size]);
    if (bytes == nullptr) {
        return {};
    }
    // Fewer bytes than the size taken (the file shrank meanwhile) is no failure.
    const std::int64_t delivered = file.ReadAt(0, bytes.get(), size);
    if (delivered < 0) {
        return {};
    }
    return LoadedFile::Adopt(std::move(bytes), static_cast<std::uint32_t>(delivered));
}

}  // namespace quorrel
