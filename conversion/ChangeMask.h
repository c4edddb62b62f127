#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace quorrel {

// Sets bit i % 64 of masks[i / 64] when a[i] and b[i] differ, for i < n, and clears every other
// bit of masks[0, (n + 63) / 64). Reads a[0, n) and b[0, n) only.
using ChangeMaskFunction = void (*)(const std::uint8_t* a, const std::uint8_t* b, std::size_t n,
                                    std::uint64_t* masks);

struct ChangeMasker {
    std::string_view name;
    ChangeMaskFunction masks;
    bool (*supported)();  // whether this processor can run `masks`
};

// The fastest masker this processor supports, chosen on the first call.
void ChangeMasks(const std::uint8_t* a, const std::uint8_t* b, std::size_t n, std::uint64_t* masks);

// Every masker built into this program, slowest (and portable) first.
std::span<const ChangeMasker> ChangeMaskers();

}  // namespace quorrel
