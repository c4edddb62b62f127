#include "OutputGuard.h"

#include <algorithm>

#include "FileSystemName.h"

namespace quorrel {

void OutputGuard::Protect(const std::string& path) {
    const auto identity = path == "-" ? IdentifyStandardInput() : IdentifyFile(path);
    if (identity && identity->regular) {
        files_.push_back(*identity);
    }
}

namespace {

// The path with its links and dots resolved as far as it exists.
std::filesystem::path Canonical(const std::string& path) {
    std::error_code error;
    std::filesystem::path canonical = std::filesystem::weakly_canonical(PathFromName(path), error);
    return error ? PathFromName(path) : canonical;
}

}  // namespace

void OutputGuard::Reserve(const std::string& path) {
    Protect(path);
    reserved_.push_back(Canonical(path));
}

bool OutputGuard::Covers(const std::string& path) const {
    const auto identity = IdentifyFile(path);
    if (identity && std::any_of(files_.begin(), files_.end(), [&](const FileIdentity& file) {
            return file.SameFile(*identity);
        })) {
        return true;
    }
    return !reserved_.empty() &&
           std::find(reserved_.begin(), reserved_.end(), Canonical(path)) != reserved_.end();
}

}  // namespace quorrel
