#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "SettingsFile.h"
#include "TempDir.h"

namespace quorrel {
namespace {

TEST(SettingsFilePath, IsQuorrelIniBesideThisExecutable) {
    const std::string& path = SettingsFilePath();
    const std::string name = "/Quorrel.ini";
    ASSERT_GT(path.size(), name.size());
    EXPECT_EQ(path.substr(path.size() - name.size()), name);
    const std::string dir = path.substr(0, path.size() - name.size() + 1);
    EXPECT_TRUE(test::FileExists(dir + "test_SettingsFilePath")) << dir;
    EXPECT_EQ(std::filesystem::path(dir).lexically_normal(),
              std::filesystem::absolute(dir).lexically_normal());
}

TEST(SettingsFilePath, ComputedOnceForTheProcess) {
    const std::string& first = SettingsFilePath();
    EXPECT_EQ(&SettingsFilePath(), &first);
    EXPECT_EQ(SettingsFile::ForExecutable().path(), first);
}

}  // namespace
}  // namespace quorrel
