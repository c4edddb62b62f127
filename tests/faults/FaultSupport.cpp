#include "FaultSupport.h"

#include <algorithm>

#include "Cp1251.h"
#include "DiffBuilder.h"

namespace quorrel::test {

std::string LargeDiff(std::size_t newBytes, std::uint8_t seed) {
    constexpr std::size_t kBlock = 16 * 1024;
    DiffBuilder diff("FAULTS");
    for (std::size_t offset = 0; offset < newBytes; offset += kBlock) {
        const std::size_t n = std::min(kBlock, newBytes - offset);
        diff.Nord(static_cast<std::uint32_t>(offset),
                  CountingBytes(n, static_cast<std::uint8_t>(seed + offset / kBlock)));
    }
    return diff.bytes();
}

std::string CliLine(std::string_view subject, std::string_view cp1251Text) {
    const std::string prefix = subject.empty() ? "" : std::string(subject) + ": ";
    return "quorrel-cli: " + prefix + cp1251::ToUtf8(cp1251Text) + "\n";
}

}  // namespace quorrel::test
