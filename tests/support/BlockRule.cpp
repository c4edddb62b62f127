#include "BlockRule.h"

namespace quorrel::test {

std::string BlockRuleFault(const BlockList& blocks, std::string_view a, std::string_view b,
                           std::uint32_t maxBlock) {
    constexpr std::uint32_t kGap = 16;
    std::uint64_t covered = 0;  // every change before this offset is in a block
    for (std::size_t k = 0; k < blocks.size(); ++k) {
        const auto [offset, count] = blocks[k];
        const std::string at = "block " + std::to_string(k) + " at " + std::to_string(offset);
        const std::uint64_t end = std::uint64_t{offset} + count;
        if (count == 0 || count > maxBlock || end > a.size() || offset < covered) {
            return at + ": empty, too long, past the end or out of order";
        }
        if (a[offset] == b[offset] || a[end - 1] == b[end - 1]) {
            return at + ": starts or ends with an unchanged byte";
        }
        if (k > 0 && offset - covered < kGap && offset + 1 - blocks[k - 1].first <= maxBlock) {
            return at + ": closer than 16 to the block before";
        }
        if (a.substr(covered, offset - covered) != b.substr(covered, offset - covered)) {
            return at + ": a change before it is in no block";
        }
        std::uint32_t same = 0;
        for (std::uint64_t i = offset; i < end; ++i) {
            same = a[i] == b[i] ? same + 1 : 0;
            if (same == kGap) {
                return at + ": 16 unchanged bytes inside";
            }
        }
        covered = end;
    }
    return a.substr(covered) == b.substr(covered) ? "" : "a change after the last block";
}

}  // namespace quorrel::test
