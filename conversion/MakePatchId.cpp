#include "MakePatchId.h"

#include <chrono>
#include <random>

namespace quorrel {

namespace {

constexpr char kHexUpper[] = "0123456789ABCDEF";

bool IsUpperHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

}  // namespace

std::string MakePatchId(std::uint32_t milliseconds) {
    std::minstd_rand generator(milliseconds);
    std::string id;
    id.reserve(8);
    for (int group = 0; group < 4; ++group) {
        const auto value = static_cast<unsigned>(generator() % 255u);
        id.push_back(kHexUpper[value >> 4]);
        id.push_back(kHexUpper[value & 0xFu]);
    }
    return id;
}

std::string MakePatchId() {
    // Milliseconds since the system started, as the tick count the id has always come from.
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
    return MakePatchId(static_cast<std::uint32_t>(ms));
}

bool IsPatchId(std::string_view id) {
    if (id.size() != 8) {
        return false;
    }
    for (std::size_t i = 0; i < 8; i += 2) {
        if (!IsUpperHex(id[i]) || !IsUpperHex(id[i + 1]) || (id[i] == 'F' && id[i + 1] == 'F')) {
            return false;
        }
    }
    return true;
}

}  // namespace quorrel
