#include "DefaultOutputPath.h"

namespace quorrel {

std::string DefaultOutputPath(const std::string& diffPath) {
    const auto slash = diffPath.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const auto dot = diffPath.rfind('.');
    if (dot != std::string::npos && dot > nameStart) {
        return diffPath.substr(0, dot) + ".smp";
    }
    return diffPath + ".smp";
}

}  // namespace quorrel
