#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace quorrel {

class InputFile;

enum class SaveOutcome {
    Saved,
    CannotOpen,   // the file may not be opened for writing; it was not touched
    WriteFailed,  // see `cause`; the file keeps its old contents
};

struct SaveResult {
    SaveOutcome outcome = SaveOutcome::Saved;
    int cause = 0;  // the file-error cause of a failure
    bool saved() const { return outcome == SaveOutcome::Saved; }
};

// The whole new contents of one file on their way to disk, whole or not at all.
//
// The path is opened as given, as a plain write opens it, so the system's rules on links and on
// other users' files apply; a link is written through, and stays a link, only where that open
// reaches the very file the link names. Where a rename keeps everything a user would notice (one
// link, owner and group, exactly the same extended attributes and access list), the contents go
// to a temporary file beside the target that is renamed over it. Otherwise (other links, another
// owner, attributes that cannot be given, a folder closed to new files, a file mounted on its
// own) they are written into the target itself, after a copy of its old contents is kept, named
// "NAME.quorrel-backup" beside it or in the temporary folder; the copy is put back if the save
// fails and dropped once it succeeds. A new file gets the mode a plain create gives. A file that
// may not be opened for writing is never touched: CannotOpen at once. Devices, pipes and sockets
// are written as streams; a FIFO without a reader is CannotOpen. A save destroyed without Commit
// leaves the target as it was and nothing behind.
class FileSave {
  public:
    struct Options {
        // Small files written in place may do without the copy on disk: their old contents are
        // kept in memory for putting back, and a single write is not torn by a kill.
        bool copyOnDisk = true;
    };

    explicit FileSave(const std::filesystem::path& path);
    FileSave(const std::filesystem::path& path, Options options);
    ~FileSave();
    FileSave(FileSave&&) noexcept;
    FileSave& operator=(FileSave&&) noexcept;

    // The outcome so far; once failed, further calls do nothing.
    const SaveResult& result() const;
    void Write(std::string_view bytes);
    // Appends `n` bytes of `source` from `offset` on; where the kernel can, it copies them by
    // itself (copy_file_range), so they never pass through this process. The bytes copied:
    // fewer when the source ended early or could not be read (result() stays saved), or when
    // the write failed (result() says why).
    std::uint64_t CopyFrom(const InputFile& source, std::uint64_t offset, std::uint64_t n);
    // Whether WriteAt works: not for devices and pipes, nor on Windows.
    bool CanWriteAt() const;
    // Writes again bytes already written, at `offset`; the contents keep their size.
    void WriteAt(std::uint64_t offset, std::string_view bytes);
    // Hands what was written to the disk without waiting for it, so that the Flush of many saves
    // started first finds their data on its way and shares one journal commit.
    void StartFlush();
    // Makes what was written durable without putting it in place yet.
    void Flush();
    // Puts the new contents in place. With `syncFolder` false the caller syncs folder() itself,
    // so that many saves into one folder share one sync.
    SaveResult Commit(bool syncFolder = true);
    // The folder whose entry a commit changes.
    std::filesystem::path folder() const;

    class Impl;

  private:
    std::unique_ptr<Impl> impl_;
};

// Makes a folder's entries durable; failures are ignored, the files themselves are already safe.
void SyncFolder(const std::filesystem::path& folder);

// One whole save.
SaveResult SaveFile(const std::filesystem::path& path, std::string_view bytes);

#ifdef _WIN32
// Narrow names have no single meaning on Windows; pass PathFromName(name).
SaveResult SaveFile(const std::string&, std::string_view) = delete;
SaveResult SaveFile(const char*, std::string_view) = delete;
#endif

}  // namespace quorrel
