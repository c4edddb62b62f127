#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "RunProcess.h"
#include "TempDir.h"

namespace quorrel::test {

inline constexpr std::uint32_t kImageSize = 11'500'000;

// An image of exactly the accepted size, byte i being (7 i + 3) mod 256; written once per run.
const std::string& FullImagePath();

// A DIFF with one change that every check accepts.
std::string GoodDiff();

// The author line the fixture's settings file yields.
inline constexpr const char* kAuthorLine =
    R"(  <author nickname="Nick" fullname="Full Name" email="a@b.example" )"
    R"(www="http://w.example/" icq="12345"/>)";

// Each test gets a fresh directory and a settings file with known values, passed to every run.
class CliTest : public ::testing::Test {
  protected:
    void SetUp() override;

    // Runs quorrel-cli with --settings first, then `args`.
    ProcessResult Run(const std::vector<std::string>& args, const ProcessOptions& options = {});

    // Writes `bytes` to a file in the test directory and returns its path.
    std::string Put(const std::string& name, std::string_view bytes) const;
    std::string Path(const std::string& name) const { return dir_.File(name); }

    TempDir dir_;
    std::string settingsPath_;
};

}  // namespace quorrel::test
