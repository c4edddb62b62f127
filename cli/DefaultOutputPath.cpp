#include "DefaultOutputPath.h"

namespace quorrel {

namespace {

#ifdef _WIN32
constexpr const char* kSeparators = "/\\:";
#else
constexpr const char* kSeparators = "/";
#endif

}  // namespace

std::string DefaultOutputPath(const std::string& inputPath, std::string_view extension) {
    const auto slash = inputPath.find_last_of(kSeparators);
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const auto dot = inputPath.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > nameStart;
    return (hasExtension ? inputPath.substr(0, dot) : inputPath) + std::string(extension);
}

}  // namespace quorrel
