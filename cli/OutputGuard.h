#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "FileIdentity.h"

namespace quorrel {

// The regular files a run must not write a patch over: its inputs, and the patches it has
// already written (so two DIFF files with the same derived name do not silently collide).
class OutputGuard {
  public:
    // Remembers the file `path` names now, if it is a regular file; "-" stands for what
    // standard input reads.
    void Protect(const std::string& path);
    // Remembers a file about to be written, which may not exist yet.
    void Reserve(const std::string& path);
    // Whether `path` names one of the remembered files (links followed).
    bool Covers(const std::string& path) const;

  private:
    std::vector<FileIdentity> files_;
    std::vector<std::filesystem::path> reserved_;
};

}  // namespace quorrel
