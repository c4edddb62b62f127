#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "FileSystemName.h"
#include "SettingsFile.h"
#include "TempDir.h"

namespace quorrel {
namespace {

#ifdef _WIN32
constexpr const char* kSeparatorAndName = "\\Quorrel.ini";
constexpr const char* kThisProgram = "test_SettingsFilePath.exe";
#else
constexpr const char* kSeparatorAndName = "/Quorrel.ini";
constexpr const char* kThisProgram = "test_SettingsFilePath";
#endif

TEST(SettingsFilePath, IsQuorrelIniBesideThisExecutableComputedOnce) {
    const std::string& path = SettingsFilePath();
    EXPECT_EQ(&SettingsFilePath(), &path);
    EXPECT_EQ(SettingsFile::ForExecutable().path(), path);
    const std::string name = kSeparatorAndName;
    ASSERT_GT(path.size(), name.size());
    EXPECT_EQ(path.substr(path.size() - name.size()), name);
    const std::string dir = path.substr(0, path.size() - name.size() + 1);
    EXPECT_TRUE(test::FileExists(dir + kThisProgram)) << dir;
    const std::filesystem::path directory = PathFromName(dir);
    EXPECT_EQ(directory.lexically_normal(),
              std::filesystem::absolute(directory).lexically_normal());
}

}  // namespace
}  // namespace quorrel
