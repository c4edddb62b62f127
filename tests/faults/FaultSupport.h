#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "RunProcess.h"
#include "TempDir.h"

namespace quorrel::test {

// The quorrel-cli built alongside the tests.
inline std::string CliPath() {
    return QUORREL_CLI_PATH;
}

// A DIFF of `newBytes` new bytes in 16 KiB NORD blocks at consecutive offsets; `seed` varies the
// bytes so two DIFF files give two different patches of the same size.
std::string LargeDiff(std::size_t newBytes, std::uint8_t seed);

// What quorrel-cli prints for a message of the engine: Windows-1251 text shown as UTF-8.
std::string CliLine(std::string_view subject, std::string_view cp1251Text);

// The quorrel-cli arguments for converting `diff` to `output` with a fixed id, no warnings, and
// the settings file `settings`.
inline std::vector<std::string> ConvertArgs(const std::string& settings, const std::string& diff,
                                            const std::string& output) {
    return {"--settings", settings, "--id", "01020304", "-q", diff, "-o", output};
}

}  // namespace quorrel::test
