#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorrel {

// One change of an SMP patch: the bytes `to` go at `offset`; `from` are the bytes it replaces,
// when the patch records them (always as many as `to`).
struct SmpChange {
    std::uint32_t offset = 0;
    std::optional<std::string> from;
    std::string to;
    std::uint32_t line = 0;  // where its element starts, from 1, for messages

    bool operator==(const SmpChange&) const = default;
};

using SmpChanges = std::vector<SmpChange>;

}  // namespace quorrel
