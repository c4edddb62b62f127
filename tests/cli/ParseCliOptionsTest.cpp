// The command line as parsed: the files each mode carries on to its run.
#include <gtest/gtest.h>

#include "ParseCliOptions.h"

namespace quorrel {
namespace {

using Action = ParsedCommandLine::Action;

TEST(ParseCliOptionsTest, ModesCarryTheirFilesInTheOrderGiven) {
    const struct {
        std::vector<std::string> args;
        Action action;
        std::string patch;
        std::vector<std::string> laterPatches = {};
        CompareMode compareMode = CompareMode::None;
        std::string newImage = {};
    } cases[] = {
        {{"--check", "a.smp", "b.smp", "c.smp", "-i", "x.bin"},
         Action::Patch,
         "a.smp",
         {"b.smp", "c.smp"}},
        {{"b.smp", "--apply=a.smp", "-o", "o", "c.smp", "-i", "-"},
         Action::Patch,
         "a.smp",
         {"b.smp", "c.smp"}},
        {{"-i", "x", "-o", "o", "--revert", "-", "--", "-b.smp"}, Action::Patch, "-", {"-b.smp"}},
        {{"--compare", "n.bin", "-i", "o.bin", "-f", "F", "-t", "T"},
         Action::Compare,
         "",
         {},
         CompareMode::Compare,
         "n.bin"},
        {{"--make-diff=-", "-i", "o.bin", "-f", "F"},
         Action::Compare,
         "",
         {},
         CompareMode::MakeDiff,
         "-"},
    };
    for (const auto& c : cases) {
        const ParsedCommandLine parsed = ParseCliOptions(c.args);
        EXPECT_EQ(parsed.action, c.action) << c.args[0] << " " << parsed.reason;
        EXPECT_EQ(parsed.options.patch, c.patch) << c.args[0];
        EXPECT_EQ(parsed.options.laterPatches, c.laterPatches) << c.args[0];
        EXPECT_EQ(parsed.options.compareMode, c.compareMode) << c.args[0];
        EXPECT_EQ(parsed.options.newImage, c.newImage) << c.args[0];
        EXPECT_EQ(parsed.options.diffs.empty(), true) << c.args[0];
    }
}

}  // namespace
}  // namespace quorrel
