#pragma once

#include <string>
#include <string_view>

namespace quorrel {

// The input's path with the extension of its last component replaced by `extension`, or
// `extension` added when that component has none. A leading dot does not start an extension.
std::string DefaultOutputPath(const std::string& inputPath, std::string_view extension = ".smp");

}  // namespace quorrel
