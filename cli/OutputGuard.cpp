#include "OutputGuard.h"

#include <algorithm>

namespace quorrel {

void OutputGuard::Protect(const std::string& path) {
    if (const auto identity = IdentifyFile(path); identity && identity->regular) {
        files_.push_back(*identity);
    }
}

bool OutputGuard::Covers(const std::string& path) const {
    const auto identity = IdentifyFile(path);
    return identity && std::any_of(files_.begin(), files_.end(), [&](const FileIdentity& file) {
               return file.SameFile(*identity);
           });
}

}  // namespace quorrel
