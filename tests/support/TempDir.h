#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorrel::test {

// A fresh directory under $TMPDIR (or /tmp), removed with everything in it on destruction.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }

  private:
    std::string path_;
};

// Whole-file helpers for tests; they throw std::runtime_error on failure.
void WriteFile(const std::string& path, std::string_view bytes);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);
// The names in a directory, sorted.
std::vector<std::string> ListDirectory(const std::string& path);

}  // namespace quorrel::test
