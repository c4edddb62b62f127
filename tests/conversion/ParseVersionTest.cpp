#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "ParseVersion.h"

namespace quorrel {
namespace {

struct VersionCase {
    std::string text;
    std::optional<std::uint32_t> expected;
};

void PrintTo(const VersionCase& c, std::ostream* os) {
    *os << "'" << c.text << "'";
}

class ParseVersionCases : public ::testing::TestWithParam<VersionCase> {};

TEST_P(ParseVersionCases, Judges) {
    EXPECT_EQ(ParseVersion(GetParam().text), GetParam().expected)
        << "text '" << GetParam().text << "'";
}

const std::optional<std::uint32_t> kFails;

INSTANTIATE_TEST_SUITE_P(Accepted, ParseVersionCases,
                         ::testing::Values(VersionCase{"7", 7}, VersionCase{" 7 ", 7},
                                           VersionCase{"\t7\t", 7}, VersionCase{"+5", 5},
                                           VersionCase{"00", 0}, VersionCase{"0", 0},
                                           VersionCase{"0012", 12},
                                           VersionCase{"4294967295", 4294967295u},
                                           VersionCase{"4294967296", 4294967295u},
                                           VersionCase{std::string(40, '9'), 4294967295u},
                                           VersionCase{std::string(30, ' ') + "5", 5},
                                           VersionCase{"+" + std::string(30, '1'), 4294967295u}));

INSTANTIATE_TEST_SUITE_P(Refused, ParseVersionCases,
                         ::testing::Values(VersionCase{"-1", kFails}, VersionCase{"-0", kFails},
                                           VersionCase{"abc", kFails}, VersionCase{"1.5", kFails},
                                           VersionCase{"+", kFails}, VersionCase{"", kFails},
                                           VersionCase{"   ", kFails}, VersionCase{"+0", kFails},
                                           VersionCase{"+00", kFails}, VersionCase{"1 2", kFails},
                                           VersionCase{"12x", kFails}, VersionCase{" - 1", kFails},
                                           VersionCase{"++1", kFails}, VersionCase{"0x10", kFails},
                                           VersionCase{std::string(31, ' ') + "5", kFails}));

TEST(ParseVersion, OnlyTheFirst31CharactersCount) {
    // Junk past the 31st character is never seen.
    EXPECT_EQ(ParseVersion(std::string(31, '1') + "junk"),
              std::optional<std::uint32_t>(4294967295u));
    EXPECT_EQ(ParseVersion(std::string(30, ' ') + "8x"), std::optional<std::uint32_t>(8));
    EXPECT_EQ(ParseVersion(std::string(29, ' ') + "8x"), kFails);
}

}  // namespace
}  // namespace quorrel
