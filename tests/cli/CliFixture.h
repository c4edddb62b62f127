#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
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

// A DIFF of `newBytes` new bytes in 16 KiB NORD blocks; `seed` varies the bytes, so two DIFFs
// give two different patches of one size.
inline std::string LargeDiff(std::size_t newBytes, std::uint8_t seed) {
    constexpr std::size_t kBlock = 16 * 1024;
    DiffBuilder diff("FAULTS");
    for (std::size_t at = 0; at < newBytes; at += kBlock) {
        diff.Nord(static_cast<std::uint32_t>(at),
                  CountingBytes(std::min(kBlock, newBytes - at),
                                static_cast<std::uint8_t>(seed + at / kBlock)));
    }
    return diff.bytes();
}

// The value of an attribute of the first such element holding it, or "<none>".
inline std::string Attribute(const std::string& patch, const std::string& element,
                             const std::string& name) {
    std::smatch m;
    const std::regex pattern("<" + element + " [^>]*?\\b" + name + "=\"([^\"]*)\"");
    return std::regex_search(patch, m, pattern) ? m[1].str() : "<none>";
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

    // Converting `diff` to `out` quietly with a fixed id: every run writes the same bytes.
    std::vector<std::string> ConvertArgs(const std::string& diff, const std::string& out) const {
        return {"--settings", settingsPath_, "--id", "01020304", "-q", diff, "-o", out};
    }
    // The patch that run writes; empty when it fails.
    std::string Convert(const std::string& diff, const std::string& out) const {
        const ProcessResult r = RunProcess(QUORREL_CLI_PATH, ConvertArgs(diff, out));
        return r.exitCode != 0 ? "" : out == "-" ? r.out : ReadFile(out);
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
