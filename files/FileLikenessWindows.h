#pragma once

#include <windows.h>

namespace quorrel {

// What the files standing in for an existing one (its temporary, the copy of its old contents)
// take from it when they are made: its access list, so its contents are never open to more
// readers than the file itself admits, and its encryption, so they never reach the disk in the
// clear. Their owner is always their creator.
class FileLikeness {
  public:
    FileLikeness() = default;  // a new file's: the folder's rules
    ~FileLikeness();
    FileLikeness(const FileLikeness&) = delete;
    FileLikeness& operator=(const FileLikeness&) = delete;

    // Takes them from `file`, whose attributes are `attributes`; false when they cannot be read.
    bool Take(HANDLE file, DWORD attributes);
    // For CreateFileW: its security attributes (null for a new file's) and its flags.
    SECURITY_ATTRIBUTES* security() { return taken_ ? &attributes_ : nullptr; }
    DWORD flags() const { return flags_; }
    // Whether `made`, created with the above, has its encryption; a system without encryption
    // may ignore the flag.
    bool Holds(HANDLE made) const;
    // Whether `file` has the owner the original has.
    bool SameOwner(HANDLE file) const;

  private:
    PSECURITY_DESCRIPTOR original_ = nullptr;
    PSID owner_ = nullptr;  // within original_
    SECURITY_DESCRIPTOR copy_{};
    SECURITY_ATTRIBUTES attributes_{};
    DWORD flags_ = FILE_ATTRIBUTE_NORMAL;
    bool taken_ = false;
};

}  // namespace quorrel
