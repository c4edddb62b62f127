#include <gtest/gtest.h>

#include <array>
#include <set>

#include "MakePatchId.h"

namespace quorrel {
namespace {

// Every value 00..FE turns up in every group; the same millisecond gives the same id.
TEST(MakePatchId, FormAndRangeOverManyDraws) {
    std::array<std::set<unsigned long>, 4> seen;
    for (std::uint32_t ms = 0; ms < 200'000; ++ms) {
        const std::string id = MakePatchId(ms * 7919u);
        ASSERT_EQ(IsPatchId(id), true) << id;
        for (std::size_t g = 0; g < 4; ++g) {
            seen[g].insert(std::stoul(id.substr(2 * g, 2), nullptr, 16));
        }
    }
    for (std::size_t g = 0; g < 4; ++g) {
        EXPECT_EQ(seen[g].size(), 255u) << "group " << g;
        EXPECT_EQ(*seen[g].rbegin(), 0xFEu) << "group " << g;
    }
    EXPECT_EQ(MakePatchId(123456), MakePatchId(123456));
    std::set<std::string> ids;
    for (std::uint32_t ms = 1000; ms < 1100; ++ms) {
        ids.insert(MakePatchId(ms));
    }
    EXPECT_GT(ids.size(), 95u);
    EXPECT_TRUE(IsPatchId(MakePatchId()));
}

TEST(IsPatchId, FormRules) {
    // F and F may meet across two groups, not within one.
    for (const char* id : {"0A1B2C3D", "0FF0FEFE"}) {
        EXPECT_TRUE(IsPatchId(id)) << id;
    }
    for (const char* id :
         {"FF000000", "000000FF", "0a1b2c3d", "0A1B2C3", "0A1B2C3D4", "0G1B2C3D", ""}) {
        EXPECT_FALSE(IsPatchId(id)) << id;
    }
}

}  // namespace
}  // namespace quorrel
