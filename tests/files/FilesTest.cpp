// The files library on every system, then what only Windows or only POSIX has.
#include <gtest/gtest.h>
#ifdef _WIN32
#include "FileErrorCauseWindows.h"
#include "WindowsFiles.h"
// After windows.h, which it needs.
#include <winioctl.h>
#else
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "FileDescriptor.h"
#include "OpenDescriptors.h"
#endif

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <tuple>

#include "Cp1251Literal.h"
#include "DiffBuilder.h"
#include "FileErrorCause.h"
#include "FileErrorText.h"
#include "FileSave.h"
#include "FileSystemName.h"
#include "InputFile.h"
#include "ReadWholeFile.h"
#include "TempDir.h"

namespace quorrel {
namespace {

using test::TempDir;
#ifndef _WIN32
using test::OpenDescriptors;
#endif

#ifdef _WIN32
// Folders past the old length limit are reached on Windows only in the long form.
std::filesystem::path LongForm(const std::string& name) {
    return L"\\\\?\\" + PathFromName(name).make_preferred().native();
}

// A file of `size` bytes that takes no disk space where the file system allows.
void MakeSparseFile(const std::string& name, long long size) {
    const FileHandle file(::CreateFileW(PathFromName(name).c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD ignored = 0;
    ::DeviceIoControl(file.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
    LARGE_INTEGER end{};
    end.QuadPart = size;
    if (!::SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) || !::SetEndOfFile(file.get())) {
        throw std::runtime_error("cannot make a sparse file");
    }
}
#else
std::filesystem::path LongForm(const std::string& name) {
    return name;
}
#endif

// Whatever the code page and however long the path: saved, replaced whole, read back.
TEST(FileSave, NamesOutsideTheCodePageAndPastTheOldLimit) {
    TempDir dir;
    std::vector<std::string> names = {"patch.smp", "Патч.smp", "漢字.smp", "Ж漢 mixed"};
    std::string deep = dir.path();
    while (PathFromName(deep).native().size() < 300) {
        deep += "/漢字директ";
        ASSERT_TRUE(std::filesystem::create_directory(LongForm(deep))) << deep.size();
    }
    std::vector<std::string> paths = {deep + "/long.smp"};
    for (const std::string& name : names) {
        paths.push_back(dir.File(name));
    }
    names.push_back("漢字директ");
    const std::string bytes = test::CountingBytes(70'000, 5);
    for (const std::string& path : paths) {
        for (const std::string_view contents : {std::string_view(bytes), std::string_view()}) {
            EXPECT_EQ(SaveFile(PathFromName(path), contents).outcome, SaveOutcome::Saved) << path;
            EXPECT_EQ(test::ReadFile(NameFromPath(LongForm(path))), contents) << path;
            const LoadedFile file = ReadWholeFile(PathFromName(path));
            EXPECT_FALSE(file.failed()) << path;
            EXPECT_EQ(file.view(), contents) << path;
        }
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(test::ListDirectory(dir.path()), names);
}

// Nothing is created or touched where a file cannot be; devices, pipes and sockets are written
// as streams. Full disks and file-size limits, on both roads, are in tests/faults/DiskFullTest.cpp.
TEST(FileSave, OutcomesByWhatThePathNames) {
    TempDir dir;
    test::WriteFile(dir.File("plain"), "keep");
    std::filesystem::create_directory(PathFromName(dir.File("folder")));
    std::vector<std::string> names = {"folder", "plain"};
#ifdef _WIN32
    const int missingFolder = 3, folder = kFileErrorAccessDenied;
    // Under wine the host's file system is drive Z:.
    const std::string null = "NUL", device = "\\\\.\\NUL", full = "Z:\\dev\\full";
#else
    const int missingFolder = 2, folder = kFileErrorUnknown;
    const std::string null = "/dev/null", device = "/dev/zero", full = "/dev/full";
    ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
    names.insert(names.begin(), "fifo");
    // A file removed since it was opened has no name a save could go by, not even one that looks
    // like what the system shows for it.
    const FileDescriptor gone(open(dir.File("gone").c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0600));
    ASSERT_EQ(unlink(dir.File("gone").c_str()), 0);
    test::WriteFile(dir.File("gone (deleted)"), "keep");
    // One whose name is longer than the system says a /proc link is.
    const std::string held = dir.File(std::string(100, 'h'));
    const FileDescriptor open(::open(held.c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0600));
    names.insert(names.begin() + 2, {"gone (deleted)", std::string(100, 'h')});
    int pipeEnds[2], socketEnds[2];
    // Not waiting when read: a failed save must not hang the test.
    ASSERT_EQ(pipe2(pipeEnds, O_NONBLOCK), 0);
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, socketEnds), 0);
    const FileDescriptor ends[] = {FileDescriptor(pipeEnds[0]), FileDescriptor(pipeEnds[1]),
                                   FileDescriptor(socketEnds[0]), FileDescriptor(socketEnds[1])};
    alarm(10);  // an open that waits for a FIFO's reader would hang for ever
    const std::size_t descriptors = OpenDescriptors();
#endif
    const std::tuple<std::string, SaveOutcome, int> cases[] = {
        {dir.File("plain/below.smp"), SaveOutcome::CannotOpen, 3},
        {dir.File("missing/x.smp"), SaveOutcome::CannotOpen, missingFolder},
        {dir.File("folder"), SaveOutcome::CannotOpen, folder},
#ifdef _WIN32
        {std::string(), SaveOutcome::CannotOpen, missingFolder},
#else
        {dir.File("fifo"), SaveOutcome::CannotOpen, kFileErrorUnknown},
        {"/proc/self/fd/" + std::to_string(gone.get()), SaveOutcome::CannotOpen,
         kFileErrorAccessDenied},
        {"/proc/self/fd/" + std::to_string(open.get()), SaveOutcome::Saved, 0},
        // As /dev/stdout and >(command) name them.
        {"/dev/fd/" + std::to_string(pipeEnds[1]), SaveOutcome::Saved, 0},
        {"/proc/self/fd/" + std::to_string(socketEnds[0]), SaveOutcome::Saved, 0},
#endif
        {null, SaveOutcome::Saved, 0},
        {device, SaveOutcome::Saved, 0},
        {full, SaveOutcome::WriteFailed, kFileErrorDiskFull},
    };
    for (const auto& [path, outcome, cause] : cases) {
        if (path == full && !test::FileExists(full)) {
            continue;  // no full device here
        }
        const SaveResult result = SaveFile(PathFromName(path), "text");
        EXPECT_EQ(result.outcome, outcome) << path;
        EXPECT_EQ(result.cause, cause) << path;
    }
#ifndef _WIN32
    alarm(0);
    EXPECT_EQ(OpenDescriptors(), descriptors);
    EXPECT_EQ(test::ReadFile(dir.File("gone (deleted)")), "keep");
    EXPECT_EQ(test::ReadFile(held), "text");
    for (const int end : {pipeEnds[0], socketEnds[1]}) {
        char got[8] = {};
        EXPECT_EQ(read(end, got, sizeof got), 4) << end;
        EXPECT_EQ(std::string(got), "text");
    }
#endif
    EXPECT_EQ(test::ReadFile(dir.File("plain")), "keep");
    EXPECT_TRUE(std::filesystem::is_directory(PathFromName(dir.File("folder"))));
    EXPECT_EQ(test::ListDirectory(dir.path()), names);
}

TEST(FileErrorText, FillsInThePath) {
    constexpr Cp1251Literal none = "Нет ошибки.";
    constexpr Cp1251Literal seek = "Неудача при позиционировании на x";
    constexpr Cp1251Literal past = "Попытка доступа к информации, находящейся за концом файла x.";
    constexpr Cp1251Literal unknown = "Неизвестная ошибка при доступе к x.";
    const std::pair<int, std::string_view> cases[] = {{0, none},     {9, seek},     {14, past},
                                                      {15, unknown}, {99, unknown}, {-1, unknown}};
    for (const auto& [cause, text] : cases) {
        EXPECT_EQ(FileErrorText(cause, "x"), text) << cause;
    }
    // A path holding %1 itself is inserted once, not expanded again.
    EXPECT_EQ(FileErrorText(2, "%1"), "%1" + std::string(FileErrorText(2, "")));
}

// Regular files of any size and name are read in the test above.
TEST(ReadWholeFile, AnythingButARegularFileUnder4GiBFails) {
    TempDir dir;
    std::vector<std::string> failing = {dir.path(), dir.File("missing"), dir.File("missing/below"),
                                        std::string()};
#ifdef _WIN32
    const std::string pipeName =
        "\\\\.\\pipe\\quorrel-test-" + std::to_string(::GetCurrentProcessId());
    const FileHandle pipe(::CreateNamedPipeW(PathFromName(pipeName).c_str(), PIPE_ACCESS_DUPLEX,
                                             PIPE_TYPE_BYTE, 1, 4096, 4096, 0, nullptr));
    ASSERT_TRUE(pipe.valid());
    failing.insert(failing.end(), {pipeName, "NUL", "\\\\.\\NUL", "C:\\", "\\\\?\\C:\\"});
    for (const long long size : {0xFFFFFFFFLL, 0x100000000LL, 5LL << 30}) {
        failing.push_back(dir.File("big" + std::to_string(size)));
        MakeSparseFile(failing.back(), size);
    }
#else
    ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
    failing.insert(failing.end(), {dir.File("fifo"), "/dev/null", "/dev/zero", "/"});
    // A FIFO with no writer would block a plain open for ever; alarm turns a hang into a failure.
    alarm(10);
#endif
    for (const std::string& path : failing) {
        const LoadedFile file = ReadWholeFile(PathFromName(path));
        EXPECT_TRUE(file.failed()) << path;
        EXPECT_EQ(file.data(), nullptr) << path;
    }
#ifndef _WIN32
    alarm(0);
#endif
}

TEST(LoadedFile, ReleaseLeavesAFailedRead) {
    LoadedFile file = LoadedFile::FromBytes("abc");
    EXPECT_EQ(file.size(), 3u);
    file.Release();
    EXPECT_TRUE(file.failed());
    EXPECT_EQ(file.data(), nullptr);
    EXPECT_EQ(file.view(), "");
}

#ifdef _WIN32

// Whether another program's hold lets a file open is the system's rule; what is ours is asking
// only to read and letting others only read.
TEST(ReadWholeFileWindows, OtherReadersShareWritersDoNot) {
    TempDir dir;
    const std::string path = dir.File("held.dif");
    test::WriteFile(path, "contents");
    for (const bool writer : {false, true}) {
        FileHandle other =
            test::OpenElsewhere(path, writer ? GENERIC_WRITE : GENERIC_READ,
                                writer ? FILE_SHARE_READ | FILE_SHARE_WRITE : FILE_SHARE_READ);
        const LoadedFile file = ReadWholeFile(PathFromName(path));
        EXPECT_EQ(file.view(), std::string_view(writer ? "" : "contents")) << writer;
        EXPECT_EQ(file.failed(), writer) << writer;
        other.Close();
        EXPECT_EQ(ReadWholeFile(PathFromName(path)).view(), "contents") << writer;
    }
}

// A read-only or locked patch cannot be opened for writing: it stays whole, nothing is left.
// Once free, it is written in place, so a second name of it holds the new one too; its copy's
// name is cut short like the temporary's.
TEST(FileSaveWindows, ProtectedPatchesCannotBeOpenedAndLinkedOnesKeepBothNames) {
    TempDir dir;
    const std::string name = dir.File(std::string(241, 'k') + ".smp"), link = dir.File("link.smp");
    const std::filesystem::path path = PathFromName(name);
    test::WriteFile(name, "the old patch");
    const bool linked = ::CreateHardLinkW(PathFromName(link).c_str(), path.c_str(), nullptr);
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    for (const int cause : {kFileErrorAccessDenied, kFileErrorSharing}) {
        // Then held by a program that lets others read it but not remove or change it.
        const FileHandle other = cause == kFileErrorSharing
                                     ? test::OpenElsewhere(name, GENERIC_READ, FILE_SHARE_READ)
                                     : FileHandle();
        const SaveResult result = SaveFile(path, "new text");
        EXPECT_EQ(result.outcome, SaveOutcome::CannotOpen) << cause;
        EXPECT_EQ(result.cause, cause);
        EXPECT_EQ(test::ReadFile(name), "the old patch") << cause;
        EXPECT_EQ(test::ListDirectory(dir.path()).size(), linked ? 2u : 1u) << cause;
        ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL));
    }
    EXPECT_EQ(SaveFile(path, "new text").outcome, SaveOutcome::Saved);
    EXPECT_EQ(test::ListDirectory(dir.path()).size(), linked ? 2u : 1u);
    EXPECT_EQ(test::ReadFile(name), "new text");
    EXPECT_EQ(test::ReadFile(linked ? link : name), "new text");
}

// A new file never takes the place of one that appeared meanwhile, nor of a link to a missing
// file, which is followed where the system follows it and refused where it does not (wine). A
// patch held by a program that lets others write it but not remove it is written in place.
TEST(FileSaveWindows, NamesTakenMeanwhileLinksAndHeldPatches) {
    TempDir dir;
    const std::string late = dir.File("late.smp"), held = dir.File("held.smp");
    {
        FileSave save(PathFromName(late));
        save.Write("ours");
        test::WriteFile(late, "theirs");
        EXPECT_EQ(save.Commit().outcome, SaveOutcome::WriteFailed);
    }
    test::WriteFile(held, "the old patch");
    {
        const FileHandle viewer =
            test::OpenElsewhere(held, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
        EXPECT_EQ(SaveFile(PathFromName(held), "new").outcome, SaveOutcome::Saved);
    }
    EXPECT_EQ(test::ReadFile(late), "theirs");
    EXPECT_EQ(test::ReadFile(held), "new");
    EXPECT_EQ(test::ListDirectory(dir.path()), (std::vector<std::string>{"held.smp", "late.smp"}));

    const std::string link = dir.File("link.smp"), made = dir.File("made.smp");
    if (!test::MakeSymbolicLink(link, "made.smp")) {
        GTEST_SKIP() << "no symbolic link can be made here";
    }
    const SaveResult result = SaveFile(PathFromName(link), "through");
    if (result.saved()) {
        EXPECT_EQ(test::ReadFile(made), "through");
    } else {
        EXPECT_EQ(result.outcome, SaveOutcome::CannotOpen);
        EXPECT_FALSE(test::FileExists(made));
    }
    test::WriteFile(made, "the target");
    EXPECT_EQ(test::ReadFile(link), "the target");
}

TEST(FileErrorCause, CausesBySystemError) {
    const std::pair<DWORD, int> cases[] = {{ERROR_DISK_FULL, 13},
                                           {ERROR_HANDLE_DISK_FULL, 13},
                                           {0, 13},
                                           {ERROR_ACCESS_DENIED, 5},
                                           {ERROR_SHARING_VIOLATION, 11},
                                           {ERROR_LOCK_VIOLATION, 12},
                                           {ERROR_FILE_NOT_FOUND, 2},
                                           {ERROR_PATH_NOT_FOUND, 3},
                                           {ERROR_TOO_MANY_OPEN_FILES, 4},
                                           {ERROR_INVALID_HANDLE, 6},
                                           {ERROR_INVALID_PARAMETER, 1},
                                           {ERROR_NOT_READY, 1},
                                           {ERROR_UNABLE_TO_REMOVE_REPLACED, 1}};
    for (const auto& [error, cause] : cases) {
        EXPECT_EQ(FileErrorCauseFromWindowsError(error), cause) << "error " << error;
    }
}

#else

// The access list of `path` as the system stores it; empty when it has none.
std::string AccessList(const std::string& path) {
    std::string value(1024, '\0');
    const ssize_t n = getxattr(path.c_str(), "system.posix_acl_access", value.data(), value.size());
    return value.substr(0, n < 0 ? 0 : static_cast<std::size_t>(n));
}

// In a folder whose default access list grants another user, a new file gets what a plain create
// gives, and only once whole. A replaced one, on both roads, keeps what a user sees of it: mode,
// owner, group, other names, attributes and access list or the lack of one, and the copy an
// earlier save left when it was killed. The rename road gives it a new inode; the in-place road
// keeps it behind a private copy of the old contents, named to fit and never over another. A
// save dropped before its commit leaves all as it was; none leaves a descriptor open. Another
// user's save is in tests/faults/UserFilesTest.cpp.
TEST(FileSave, NewAndReplacedFilesKeepTheirModeOwnersNamesAttributesAndAccessList) {
    TempDir plain, listed;
    ASSERT_EQ(std::system(("setfacl -d -m u:65534:rw " + listed.path()).c_str()), 0);
    FileSave fresh(listed.File("new.smp"));
    fresh.Write("new");
    EXPECT_FALSE(test::FileExists(listed.File("new.smp")));
    ASSERT_EQ(fresh.Commit().outcome, SaveOutcome::Saved);
    const FileDescriptor made(open(listed.File("made").c_str(), O_CREAT | O_WRONLY, 0666));
    struct stat before = {}, after = {};
    ASSERT_EQ(stat(listed.File("made").c_str(), &before), 0);
    ASSERT_EQ(stat(listed.File("new.smp").c_str(), &after), 0);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(AccessList(listed.File("new.smp")), AccessList(listed.File("made")));
    // Where the copy would go, when not beside the file.
    const std::string temporary = std::getenv("TMPDIR") != nullptr ? std::getenv("TMPDIR") : "";
    setenv("TMPDIR", plain.path().c_str(), 1);
    test::WriteFile(plain.File("patch.smp.quorrel-backup"), "killed");
    const std::size_t descriptors = OpenDescriptors();
    const std::string old = std::string(10000, 'o') + "\r\n";
    const uid_t me = getuid(), other = 65534;
    const struct {
        const TempDir& dir;
        std::string name;
        bool linked;
        const char* acl;  // setfacl's arguments
        uid_t owner;
        gid_t group;
        std::string copy = {};  // the old contents' name during the save
    } cases[] = {
        {plain, "patch.smp", false, nullptr, other, getgid()},  // no attributes at all
        {plain, "patch.smp", true, "-m u:2:r", me, other, "patch.smp.quorrel-backup-2"},
        {plain, std::string(250, 'n'), true, nullptr, me, getgid(),
         std::string(240, 'n') + ".quorrel-backup"},
        {listed, "patch.smp", false, "-b", me, other},
        {listed, "listed.smp", false, "-m u:2:r", other, getgid()},
    };
    for (const auto& c : cases) {
        const std::string path = c.dir.File(c.name), second = c.dir.File("second.smp");
        const std::string at = c.dir.path() + " " + c.name.substr(0, 10);
        ASSERT_EQ(SaveFile(path, old).outcome, SaveOutcome::Saved);
        EXPECT_EQ(test::ReadFile(path), old);
        if (c.acl != nullptr) {
            ASSERT_EQ(std::system(("setfacl " + std::string(c.acl) + " " + path).c_str()), 0);
            ASSERT_EQ(setxattr(path.c_str(), "user.quorrel", "", 0, 0), 0);
        }
        ASSERT_EQ(chmod(path.c_str(), 0640), 0);
        static_cast<void>(chown(path.c_str(), c.owner, c.group));  // as root only
        if (c.linked) {
            ASSERT_EQ(link(path.c_str(), second.c_str()), 0);
        }
        const std::string list = AccessList(path);
        const std::vector<std::string> names = test::ListDirectory(c.dir.path());
        ASSERT_EQ(stat(path.c_str(), &before), 0);

        // Dropped untouched, then after a write: neither leaves a trace, not even a new time.
        const struct timespec aged[2] = {{0, UTIME_OMIT}, {1000000, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), aged, 0), 0);
        static_cast<void>(FileSave(path));
        ASSERT_EQ(stat(path.c_str(), &after), 0);
        EXPECT_EQ(after.st_mtime, 1000000) << at;
        FileSave(path).Write("dropped");
        EXPECT_EQ(test::ReadFile(path), old) << at;
        {
            // Copied in by the kernel rather than written, the same.
            const InputFile killed(PathFromName(plain.File("patch.smp.quorrel-backup")));
            EXPECT_EQ(FileSave(path).CopyFrom(killed, 0, 6), 6u) << at;
        }
        EXPECT_EQ(test::ReadFile(path), old) << at;
        FileSave save(path);
        save.Write("short");
        std::vector<std::string> during = names;
        if (!c.copy.empty()) {
            during.push_back(c.copy);
            ASSERT_EQ(stat(c.dir.File(c.copy).c_str(), &after), 0);
            EXPECT_EQ(after.st_mode & 07777, 0600u);
        }
        std::sort(during.begin(), during.end());
        EXPECT_EQ(test::ListDirectory(c.dir.path()), during) << at;
        EXPECT_EQ(save.Commit().outcome, SaveOutcome::Saved) << at;
        EXPECT_EQ(OpenDescriptors(), descriptors) << at;  // let go at once, not when destroyed
        EXPECT_EQ(test::ReadFile(path), "short") << at;
        EXPECT_EQ(test::ReadFile(c.linked ? second : path), "short") << at;
        ASSERT_EQ(stat(path.c_str(), &after), 0);
        EXPECT_EQ(std::tie(after.st_mode, after.st_uid, after.st_gid, after.st_nlink),
                  std::tie(before.st_mode, before.st_uid, before.st_gid, before.st_nlink))
            << at;
        EXPECT_EQ(after.st_ino == before.st_ino, c.linked) << at;
        EXPECT_EQ(AccessList(path), list) << at;
        EXPECT_EQ(getxattr(path.c_str(), "user.quorrel", nullptr, 0), c.acl ? 0 : -1) << at;
        EXPECT_EQ(test::ListDirectory(c.dir.path()), names) << at;
        if (!c.copy.empty()) {
            // A file given the copy's name once the save is done is not the copy: it stays.
            {
                FileSave later(path);
                later.Write("later");
                ASSERT_EQ(later.Commit().outcome, SaveOutcome::Saved) << at;
                test::WriteFile(c.dir.File(c.copy), "mine");
            }
            EXPECT_EQ(test::ReadFile(c.dir.File(c.copy)), "mine") << at;
            std::filesystem::remove(c.dir.File(c.copy));
        }
        std::filesystem::remove(path);
        std::filesystem::remove(second);
    }
    EXPECT_EQ(test::ReadFile(plain.File("patch.smp.quorrel-backup")), "killed");
    EXPECT_EQ(OpenDescriptors(), descriptors);
    temporary.empty() ? unsetenv("TMPDIR") : setenv("TMPDIR", temporary.c_str(), 1);
}

// Bytes go back over what was already written, in a file only: a stream cannot seek, and a
// write past the end would leave a hole.
TEST(FileSave, WritesBackOnlyOverWhatWasWrittenIntoAFile) {
    TempDir dir;
    const std::string path = dir.File("image.bin");
    FileSave save(path);
    save.Write("abcdef");
    EXPECT_TRUE(save.CanWriteAt());
    save.WriteAt(2, "XY");
    save.WriteAt(100, "");  // an empty change anywhere writes nothing and fails nothing
    ASSERT_EQ(save.Commit().outcome, SaveOutcome::Saved);
    for (const std::string& target : {path, std::string("/dev/null")}) {
        FileSave again(target);
        EXPECT_EQ(again.CanWriteAt(), target == path) << target;
        again.Write("abc");
        again.WriteAt(target == path ? 2 : 0, "XY");
        EXPECT_EQ(again.Commit().outcome, SaveOutcome::WriteFailed) << target;
    }
    EXPECT_EQ(test::ReadFile(path), "abXYef");
}

// Links are followed as the system follows them, a dangling one creating its target, and stay
// links. Links the system refuses to follow are in tests/faults/UserFilesTest.cpp.
TEST(FileSave, WritesThroughSymbolicLinks) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("real"));
    test::WriteFile(dir.File("real/patch.smp"), "old");
    test::WriteFile(dir.File("real/x"), "old");
    const std::pair<std::string, std::string> links[] = {{"link.smp", "real/patch.smp"},
                                                         {"chain.smp", "link.smp"},
                                                         {"real/short", "x"},
                                                         {"absolute.smp", dir.File("real/x")},
                                                         {"dangling.smp", "real/made.smp"}};
    for (const auto& [link, target] : links) {
        std::filesystem::create_symlink(target, dir.File(link));
        EXPECT_EQ(SaveFile(dir.File(link), link).outcome, SaveOutcome::Saved) << link;
        EXPECT_TRUE(std::filesystem::is_symlink(dir.File(link))) << link;
        EXPECT_EQ(test::ReadFile(dir.File(link)), link);
    }
    EXPECT_EQ(test::ReadFile(dir.File("real/patch.smp")), "chain.smp");
    // As many links in a row as the system follows.
    for (int n = 1; n < 40; ++n) {
        std::filesystem::create_symlink("c" + std::to_string(n - 1),
                                        dir.File("c" + std::to_string(n)));
    }
    std::filesystem::create_symlink("real/x", dir.File("c0"));
    EXPECT_EQ(SaveFile(dir.File("c39"), "9").outcome, SaveOutcome::Saved);
    EXPECT_EQ(test::ReadFile(dir.File("real/x")), "9");
    EXPECT_EQ(test::ListDirectory(dir.File("real")),
              (std::vector<std::string>{"made.smp", "patch.smp", "short", "x"}));
}

TEST(FileErrorCause, CausesByErrno) {
    const std::pair<int, int> cases[] = {
        {ENOSPC, 13}, {EDQUOT, 13},      {EFBIG, 13}, {0, 13},      {EACCES, 5}, {EPERM, 5},
        {EROFS, 5},   {EIO, 10},         {ENOENT, 2}, {ENOTDIR, 3}, {ELOOP, 3},  {EMFILE, 4},
        {ENFILE, 4},  {ENAMETOOLONG, 3}, {EBADF, 6},  {EINVAL, 1},  {EXDEV, 1}};
    for (const auto& [error, cause] : cases) {
        EXPECT_EQ(FileErrorCauseFromErrno(error), cause) << "errno " << error;
    }
}

// A regular file behind a link. Parts are read where asked; a file cut after opening delivers
// only what is left.
TEST(ReadWholeFile, FollowsLinksAndInputFileReadsItsParts) {
    TempDir dir;
    const std::string bytes = test::CountingBytes(70'000, 3);
    test::WriteFile(dir.File("a.bin"), bytes);
    std::filesystem::create_symlink(dir.File("a.bin"), dir.File("link"));
    const LoadedFile linked = ReadWholeFile(dir.File("link"));
    EXPECT_FALSE(linked.failed());
    EXPECT_EQ(linked.view() == bytes, true);
    const InputFile file(dir.File("a.bin"));
    ASSERT_TRUE(file.open());
    EXPECT_EQ(file.size(), bytes.size());
    std::string part(100, '\0');
    EXPECT_EQ(file.ReadAt(69'950, part.data(), part.size()), 50);
    EXPECT_EQ(part.substr(0, 50), bytes.substr(69'950));
    ASSERT_EQ(truncate(dir.File("a.bin").c_str(), 1000), 0);
    EXPECT_EQ(file.ReadAt(900, part.data(), part.size()), 100);
    EXPECT_EQ(file.ReadAt(950, part.data(), part.size()), 50);
    EXPECT_EQ(file.size(), bytes.size());
}

#endif

}  // namespace
}  // namespace quorrel
