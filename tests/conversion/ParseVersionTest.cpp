#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "ParseVersion.h"

namespace quorrel {
namespace {

// Only the first 31 characters count.
TEST(ParseVersion, Judges) {
    const std::uint32_t top = 4294967295u;
    const std::string blanks(30, ' ');
    const std::pair<std::string, std::uint32_t> accepted[] = {{"7", 7},
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
                                                              {blanks + "8x", 8}};
    for (const auto& [text, value] : accepted) {
        EXPECT_EQ(ParseVersion(text), std::optional<std::uint32_t>(value)) << "'" << text << "'";
    }
    for (const std::string& text :
         {" " + blanks + "5", blanks.substr(1) + "8x", std::string("-1"), std::string("-0"),
          std::string("abc"), std::string("1.5"), std::string("+"), std::string(),
          std::string("   "), std::string("+0"), std::string("+00"), std::string("1 2"),
          std::string("12x"), std::string(" - 1"), std::string("++1"), std::string("0x10")}) {
        EXPECT_EQ(ParseVersion(text), std::nullopt) << "'" << text << "'";
    }
}

}  // namespace
}  // namespace quorrel
