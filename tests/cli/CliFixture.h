#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DiffBuilder.h"
#include "RunProcess.h"
#include "TempDir.h"

namespace quorrel::test {

// What every run without an image and without -q warns first.
inline constexpr const char* kNoImageWarning =
    "quorrel-cli: Внимание! BIN File не открыт.\n"
    "quorrel-cli: Без него smp-patch будет не полным.\n";

// A DIFF with one change that every check accepts.
inline std::string GoodDiff() {
    return DiffBuilder().Nord(0x10, "\x01\xab\xff").bytes();
}

// The value of an attribute of the first such element of a patch, or "<none>".
inline std::string Attribute(const std::string& patch, const std::string& element,
                             const std::string& name) {
    const auto start = patch.find("<" + element + " ");
    const auto end = patch.find('>', start);
    const auto at = patch.find(" " + name + "=\"", start);
    if (start == std::string::npos || at == std::string::npos || at > end) {
        return "<none>";
    }
    const auto begin = at + name.size() + 3;
    return patch.substr(begin, patch.find('"', begin) - begin);
}

// Each test gets a fresh directory and a settings file with known values, passed to every run.
class CliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        settingsPath_ = Put("Quorrel.ini",
                            "[Patch Version]\nvalue=0.3\n[Author Info]\nNickName=Nick\n"
                            "FullName=Full Name\nEmail=a@b.example\nwww=http://w.example/\n"
                            "icq=12345\n");
    }

    // Runs quorrel-cli with --settings first, then `args`.
    ProcessResult Run(const std::vector<std::string>& args, const ProcessOptions& options = {}) {
        std::vector<std::string> all{"--settings", settingsPath_};
        all.insert(all.end(), args.begin(), args.end());
        return RunProcess(QUORREL_CLI_PATH, all, options);
    }

    // Writes `bytes` to a file in the test directory and returns its path.
    std::string Put(const std::string& name, std::string_view bytes) const {
        WriteFile(dir_.File(name), bytes);
        return dir_.File(name);
    }
    std::string Path(const std::string& name) const { return dir_.File(name); }

    TempDir dir_;
    std::string settingsPath_;
};

}  // namespace quorrel::test
