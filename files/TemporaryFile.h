#pragma once

#include <string>

#include "FileDescriptor.h"

namespace quorrel {

// A new file in a folder, for contents that take their final name only once complete. Where the
// system allows it has no name at all until then, so a kill leaves nothing behind; otherwise it
// is ".NAME.RANDOM.tmp". Destroyed before it took its final name, it is removed.
class TemporaryFile {
  public:
    TemporaryFile() = default;
    ~TemporaryFile() { Remove(); }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // A file for reading and writing in `folder`, named after `name`; 0 or the errno.
    int Create(const std::string& folder, const std::string& name, int mode = 0600);
    int fd() const { return fd_.get(); }
    bool valid() const { return fd_.valid(); }

    // Renames it over `target`, replacing whatever is there; 0 or the errno.
    int RenameOver(const std::string& target);
    // Gives it `path` as its final name, never replacing a file there (EEXIST); 0 or the errno.
    int LinkAs(const std::string& path);
    // Closes it and removes it if it still has a temporary name.
    void Remove();

  private:
    int Name();

    FileDescriptor fd_;
    std::string folder_;
    std::string name_;
    std::string path_;  // empty while unnamed
};

}  // namespace quorrel
