#pragma once

#include <string>

namespace quorrel {

// The DIFF path with the extension of its last component replaced by ".smp", or ".smp" added
// when that component has none. A leading dot does not start an extension.
std::string DefaultOutputPath(const std::string& diffPath);

}  // namespace quorrel
