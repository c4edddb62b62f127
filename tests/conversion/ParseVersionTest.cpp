#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "ParseVersion.h"

namespace quorrel {
namespace {

// Only the first 31 characters count.
TEST(ParseVersion, Judges) {
    const std::optional<std::uint32_t> top = 4294967295u, none;
    const std::string blanks(30, ' ');
    // Texts grouped by what they read as.
    const std::pair<std::optional<std::uint32_t>, std::vector<std::string>> cases[] = {
        {7, {"7", " 7 ", "\t7\t"}},
        {5, {"+5", blanks + "5"}},
        {0, {"00", "0"}},
        {12, {"0012"}},
        {8, {blanks + "8x"}},
        {top,
         {"4294967295", "4294967296", std::string(40, '9'), "+" + std::string(30, '1'),
          std::string(31, '1') + "x"}},
        {none,
         {" " + blanks + "5", blanks.substr(1) + "8x", "-1", "-0", "abc", "1.5", "+", "", "   ",
          "+0", "+00", "1 2", "12x", " - 1", "++1", "0x10"}},
    };
    for (const auto& [value, texts] : cases) {
        for (const std::string& text : texts) {
            EXPECT_EQ(ParseVersion(text), value) << "'" << text << "'";
        }
    }
}

}  // namespace
}  // namespace quorrel
