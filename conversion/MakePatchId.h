#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quorrel {

// Eight upper-case hex digits in four groups of 00..FE, seeded from the millisecond clock.
std::string MakePatchId();
// The same draw for a given millisecond count; equal counts give equal ids.
std::string MakePatchId(std::uint32_t milliseconds);

// Whether `id` has the form of a drawn id: eight upper-case hex digits, no group FF.
bool IsPatchId(std::string_view id);

}  // namespace quorrel
