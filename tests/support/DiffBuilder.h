#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quorrel::test {

// Builds DIFF file bytes block by block.
class DiffBuilder {
  public:
    // A 32-byte header; the firmware name is padded with zero bytes to 16 (or cut to 16).
    explicit DiffBuilder(std::string_view firmware = "FW1", std::string_view phoneClass = "SGHA",
                         std::string_view magic = "SPFD")
        : bytes_(Fixed(magic, 4) + Fixed(phoneClass, 4) + Fixed(firmware, 16) +
                 std::string(8, '\0')) {}

    // A NORD block: header with count 4 + size of `bytes`, then offset and bytes.
    DiffBuilder& Nord(std::uint32_t offset, std::string_view bytes) {
        Block("FBLK", "NORD", static_cast<std::uint32_t>(bytes.size() + 4)).Le32(offset);
        return Raw(bytes);
    }
    // A block with any tag, type and count, followed by `payload` as is.
    DiffBuilder& Block(std::string_view tag, std::string_view type, std::uint32_t count,
                       std::string_view payload = {}) {
        return Raw(Fixed(tag, 4) + Fixed(type, 4)).Le32(count).Raw(payload);
    }
    DiffBuilder& Raw(std::string_view bytes) {
        bytes_.append(bytes);
        return *this;
    }
    DiffBuilder& Le32(std::uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8) {
            bytes_.push_back(static_cast<char>((value >> shift) & 0xFFu));
        }
        return *this;
    }

    const std::string& bytes() const { return bytes_; }

  private:
    static std::string Fixed(std::string_view text, std::size_t width) {
        std::string field(text.substr(0, width));
        field.resize(width, '\0');
        return field;
    }

    std::string bytes_;
};

// `n` bytes counting up from `first`, wrapping at 256.
std::string CountingBytes(std::size_t n, std::uint8_t first = 0);
// Two lower-case hex digits a byte, as patches write them.
std::string Hex(std::string_view bytes);

}  // namespace quorrel::test
