#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quorrel::diff {

inline constexpr std::uint32_t kHeaderSize = 32;
inline constexpr std::uint32_t kBlockHeaderSize = 12;
inline constexpr std::uint32_t kFirmwareNameOffset = 8;
inline constexpr std::uint32_t kFirmwareNameSize = 16;
inline constexpr std::string_view kMagic = "SPFD";
inline constexpr std::string_view kPhoneClass = "SGHA";
inline constexpr std::string_view kBlockTag = "FBLK";
inline constexpr std::string_view kNordType = "NORD";

inline std::uint32_t ReadLe32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

inline bool FieldIs(const std::uint8_t* p, std::string_view four) {
    return std::string_view(reinterpret_cast<const char*>(p), 4) == four;
}

// A fixed-width text field: its bytes up to the first zero byte.
inline std::string_view FieldText(const std::uint8_t* p, std::size_t width) {
    std::size_t n = 0;
    while (n < width && p[n] != 0) {
        ++n;
    }
    return {reinterpret_cast<const char*>(p), n};
}

}  // namespace quorrel::diff
