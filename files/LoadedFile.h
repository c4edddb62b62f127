#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

namespace quorrel {

// The whole contents of one file. The bytes are left uninitialised on allocation because
// inputs run to tens of megabytes and every byte is overwritten by the read anyway.
class LoadedFile {
  public:
    static constexpr std::uint32_t kFailedRead = 0xFFFFFFFFu;

    LoadedFile() = default;

    // Contents copied from memory; more than 0xFFFFFFFE bytes gives a failed read.
    static LoadedFile FromBytes(std::string_view bytes);
    // Takes ownership of an allocation holding at least `size` bytes.
    static LoadedFile Adopt(std::unique_ptr<std::uint8_t[]> bytes, std::uint32_t size);

    std::uint32_t size() const { return size_; }
    bool failed() const { return size_ == kFailedRead; }
    const std::uint8_t* data() const { return bytes_.get(); }
    // Empty for a failed read.
    std::string_view view() const;

    // Drops the contents; the file then reads as failed.
    void Release();

  private:
    std::unique_ptr<std::uint8_t[]> bytes_;
    std::uint32_t size_ = kFailedRead;
};

}  // namespace quorrel
