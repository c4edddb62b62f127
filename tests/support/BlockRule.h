#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quorrel::test {

using BlockList = std::vector<std::pair<std::uint32_t, std::uint32_t>>;  // offset, count

// How `blocks` break the block rule for the images `a` (old) and `b` (new), or empty when they
// keep it: in order and apart, each starting and ending with a change, covering every change,
// no run of 16 unchanged bytes inside, and fewer between two blocks only where one block holding
// both would be longer than `maxBlock`.
std::string BlockRuleFault(const BlockList& blocks, std::string_view a, std::string_view b,
                           std::uint32_t maxBlock = 0xFFFFFFFBu);

}  // namespace quorrel::test
