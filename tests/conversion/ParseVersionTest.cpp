#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "ParseVersion.h"

namespace quorrel {
namespace {

// Only the first 31 characters count.
TEST(ParseVersion, Judges) {
    const std::optional<std::uint32_t> top = 4294967295u, none;
    const std::string blanks(30, ' ');
    const std::pair<std::string, std::optional<std::uint32_t>> cases[] = {
        {"7", 7},
        {" 7 ", 7},
        {"\t7\t", 7},
        {"+5", 5},
        {"00", 0},
        {"0", 0},
        {"0012", 12},
        {"4294967295", top},
        {"4294967296", top},
        {std::string(40, '9'), top},
        {"+" + std::string(30, '1'), top},
        {blanks + "5", 5},
        {std::string(31, '1') + "x", top},
        {blanks + "8x", 8},
        {" " + blanks + "5", none},
        {blanks.substr(1) + "8x", none},
        {"-1", none},
        {"-0", none},
        {"abc", none},
        {"1.5", none},
        {"+", none},
        {"", none},
        {"   ", none},
        {"+0", none},
        {"+00", none},
        {"1 2", none},
        {"12x", none},
        {" - 1", none},
        {"++1", none},
        {"0x10", none}};
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(ParseVersion(text), value) << "'" << text << "'";
    }
}

}  // namespace
}  // namespace quorrel
