#pragma once

#include <cstddef>
#include <filesystem>
#include <iterator>

namespace quorrel::test {

// The descriptors this process holds, so that a save shows when it leaves one open. Linux only.
inline std::size_t OpenDescriptors() {
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}));
}

}  // namespace quorrel::test
