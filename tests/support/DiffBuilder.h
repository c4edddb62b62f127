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
                         std::string_view magic = "SPFD");

    // A NORD block: header with count 4 + size of `bytes`, then offset and bytes.
    DiffBuilder& Nord(std::uint32_t offset, std::string_view bytes);
    // A block with any tag, type and count, followed by `payload` as is.
    DiffBuilder& Block(std::string_view tag, std::string_view type, std::uint32_t count,
                       std::string_view payload = {});
    DiffBuilder& Raw(std::string_view bytes);
    DiffBuilder& Le32(std::uint32_t value);

    const std::string& bytes() const { return bytes_; }

  private:
    std::string bytes_;
};

// `n` bytes counting up from `first`, wrapping at 256.
std::string CountingBytes(std::size_t n, std::uint8_t first = 0);
// Two lower-case hex digits a byte, as patches write them.
std::string Hex(std::string_view bytes);

}  // namespace quorrel::test
