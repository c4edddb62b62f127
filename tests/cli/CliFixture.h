#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RunProcess.h"
#include "TempDir.h"

namespace quorrel::test {

// A DIFF with one change that every check accepts.
std::string GoodDiff();

// The value of an attribute of the first such element of a patch, or "<none>".
std::string Attribute(const std::string& patch, const std::string& element,
                      const std::string& name);

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
