#include "DefaultOutputPath.h"

namespace quorrel {

namespace {

#ifdef _WIN32
constexpr const char* kSeparators = "/\\:";
#else
constexpr const char* kSeparators = "/";
#endif

}  // namespace

std::string DefaultOutputPath(const std::string& diffPath) {
    const auto slash = diffPath.find_last_of(kSeparators);
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const auto dot = diffPath.rfind('.');
    if (dot != std::string::npos && dot > nameStart) {
        return diffPath.substr(0, dot) + ".smp";
    }
    return diffPath + ".smp";
}

}  // namespace quorrel
