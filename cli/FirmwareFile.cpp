#include "FirmwareFile.h"

namespace quorrel {

const std::uint8_t* FirmwareFile::Read(std::uint32_t offset, std::size_t n) {
    if (buffer_.size() < n) {
        buffer_.resize(n);
    }
    // Fewer bytes than asked means the file was cut after its size was taken.
    return file_.ReadAt(offset, buffer_.data(), n) == static_cast<std::int64_t>(n) ? buffer_.data()
                                                                                   : nullptr;
}

}  // namespace quorrel
