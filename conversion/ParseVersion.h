#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quorrel {

// The rule of the window's version field: only the first 31 characters count; blanks and tabs
// around the number are skipped; a leading minus fails; values clamp at 4,294,967,295; zero is
// accepted only when written with a leading digit 0. Nothing means the text fails.
std::optional<std::uint32_t> ParseVersion(std::string_view text);

}  // namespace quorrel
