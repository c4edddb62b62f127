#pragma once

#include <cstdint>
#include <string>

#include "TemporaryFile.h"

namespace quorrel {

struct WriteTarget;

// The old contents of a file about to be written in place, kept so that a failed write can put
// them back. On disk the copy is complete before it takes its name, "NAME.quorrel-backup" (or
// "NAME.quorrel-backup-2" and so on, never replacing one; NAME shortened where the whole would
// not fit) beside the file, or in the temporary folder when the file's folder takes no new files
// or has no room for them; a kill during the write leaves it there.
class OldContents {
  public:
    OldContents() = default;
    // A copy left on disk keeps its name: it may be the only whole copy of the old contents.
    ~OldContents() = default;
    OldContents(const OldContents&) = delete;
    OldContents& operator=(const OldContents&) = delete;

    // Copies what `fd` holds now; 0, the errno, or -1 when a write stored nothing.
    int Keep(int fd, const WriteTarget& target, bool onDisk);
    // Writes them back into `fd` and makes them durable; 0 or the errno. The copy on disk is
    // dropped when this succeeds and left for the user when it fails.
    int Restore(int fd);
    // Removes the copy on disk.
    void Drop();

  private:
    int KeepOnDisk(int fd, const std::string& folder, const std::string& name);

    std::string memory_;
    bool inMemory_ = false;
    std::uint64_t size_{};
    TemporaryFile copy_;
    std::string copyPath_;
};

}  // namespace quorrel
