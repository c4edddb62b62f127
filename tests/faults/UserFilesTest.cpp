// Saving as an ordinary user keeps what users set on their files: protections, owners, and
// settings in a folder closed to new files. CI runs as root, which passes every permission
// check, so files are staged as root and quorrel-cli runs as nobody.
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <regex>

#include "CliFixture.h"
#include "FileSave.h"
#include "TemporaryFile.h"

namespace quorrel::test {
namespace {

constexpr uid_t kNobody = 65534;

// Owner, mode and identity: what a save must keep.
std::string Kept(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return std::to_string(info.st_uid) + " " + std::to_string(info.st_mode) + " " +
           std::to_string(info.st_ino);
}

// Sets a file-system protection of the kernel (/proc/sys/fs) for the test's run; Debian turns
// them on, this machine may not.
class Protection {
  public:
    explicit Protection(const std::string& name)
        : path_("/proc/sys/fs/" + name), old_(ReadFile(path_)) {
        std::ofstream(path_) << "1";
    }
    ~Protection() { std::ofstream(path_) << old_; }
    bool on() const { return ReadFile(path_) == "1\n"; }

  private:
    std::string path_;
    std::string old_;
};

// A link owned by `owner`.
void PlantLink(const std::string& target, const std::string& link, uid_t owner) {
    EXPECT_EQ(::symlink(target.c_str(), link.c_str()), 0) << link;
    EXPECT_EQ(::lchown(link.c_str(), owner, owner), 0) << link;
}

class UserFiles : public CliTest {
  protected:
    void SetUp() override {
        if (::geteuid() != 0) {
            GTEST_SKIP() << "staging files for another user takes root";
        }
        CliTest::SetUp();
        ASSERT_EQ(::chmod(dir_.path().c_str(), 0755), 0);
        ASSERT_NE(patch_ = Convert(diff_, "-"), "");
    }

    // A file, or a folder when `bytes` is nothing, with the given mode and owner.
    static std::string Stage(const std::string& path, std::optional<std::string> bytes, mode_t mode,
                             uid_t owner) {
        if (bytes) {
            WriteFile(path, *bytes);
        } else {
            EXPECT_EQ(::mkdir(path.c_str(), 0700), 0);
        }
        EXPECT_EQ(::chown(path.c_str(), owner, owner), 0);
        EXPECT_EQ(::chmod(path.c_str(), mode), 0);
        return path;
    }

    // Saves as nobody, with the settings file `settings` instead of the fixture's if one is given.
    ProcessResult SaveAsNobody(const std::string& out, const std::string& settings = {}) const {
        ProcessOptions nobody;
        nobody.user = kNobody;
        std::vector<std::string> args = ConvertArgs(diff_, out);
        args[1] = settings.empty() ? args[1] : settings;
        return RunProcess(QUORREL_CLI_PATH, args, nobody);
    }

    const std::string diff_ = Put("new.dif", LargeDiff(4096, 7));
    std::string patch_;
};

TEST_F(UserFiles, SavesKeepProtectionsOwnersAndOtherNames) {
    const struct {
        const char* file;
        mode_t folderMode;
        uid_t folderOwner;
        mode_t mode;
        uid_t owner;
        bool saved;
    } cases[] = {
        {"open/read-only.smp", 0777, 0, 0444, kNobody, false},
        {"open-too/roots.smp", 0777, 0, 0644, 0, false},
        // Another user's writable patch in a sticky folder: a rename there is refused.
        {"sticky/roots.smp", 01777, 0, 0666, 0, true},
    };
    for (const auto& c : cases) {
        const std::string out = Path(c.file);
        const std::string folder = out.substr(0, out.rfind('/'));
        Stage(folder, {}, c.folderMode, c.folderOwner);
        Stage(out, "old", c.mode, c.owner);
        const std::string before = Kept(out);
        const ProcessResult result = SaveAsNobody(out);
        EXPECT_EQ(result.exitCode, c.saved ? 0 : 3) << c.file;
        EXPECT_EQ(result.err, c.saved ? "" : "quorrel-cli: " + out + ": Ошибка открытия файла!\n")
            << c.file;
        const std::string& now = c.saved ? patch_ : "old";
        EXPECT_EQ(ReadFile(out) == now, true) << c.file;
        EXPECT_EQ(Kept(out), before) << c.file;
        EXPECT_EQ(ListDirectory(folder).size(), 1u) << c.file;
    }
}

TEST_F(UserFiles, SettingsInAClosedFolderGetTheirDefaults) {
    const std::string folder = Stage(Path("closed"), {}, 0755, 0);
    const std::string ini = folder + "/Quorrel.ini";
    const std::string mine = "; mine\r\n[Group]\r\n0=Sound\r\n";
    Stage(ini, mine, 0666, 0);
    const ProcessResult result = SaveAsNobody("-", ini);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(ReadFile(ini),
              mine +
                  "[Patch Version]\r\nvalue=0.3\r\n[Author Info]\r\nNickName=Quorrel\r\n"
                  "FullName=\r\nEmail=\r\nwww=http://quorrel.example.org/\r\nicq=\r\n");
    EXPECT_EQ(Kept(ini).rfind("0 ", 0), 0u) << "owned by root no more";
    EXPECT_EQ(ListDirectory(folder), std::vector<std::string>{"Quorrel.ini"});
}

// Root saving in a sticky folder is refused wherever the system refuses a plain write: through
// another user's link to root's file, through their dangling link, into their own file. Root's
// own link there is followed.
TEST_F(UserFiles, SavesInStickyFoldersObeyTheSystemsProtections) {
    const Protection links("protected_symlinks"), files("protected_regular");
    if (!links.on() || !files.on()) {
        GTEST_SKIP() << "the kernel's protections of sticky folders cannot be turned on here";
    }
    const std::string closed = Stage(Path("closed"), {}, 0700, 0);
    const std::string key = Stage(closed + "/key", "root's", 0600, 0);
    const std::string mine = Stage(closed + "/mine.smp", "old", 0600, 0);
    const std::string sticky = Stage(Path("sticky"), {}, 01777, 0);
    PlantLink(key, sticky + "/link.smp", kNobody);
    PlantLink(closed + "/made.smp", sticky + "/dangling.smp", kNobody);
    Stage(sticky + "/theirs.smp", "theirs", 0666, kNobody);
    PlantLink(mine, sticky + "/roots.smp", 0);
    for (const char* name : {"link.smp", "dangling.smp", "theirs.smp", "roots.smp"}) {
        const std::string out = sticky + "/" + name;
        const ProcessResult result = RunProcess(QUORREL_CLI_PATH, ConvertArgs(diff_, out));
        const bool saved = name == std::string("roots.smp");
        EXPECT_EQ(result.exitCode, saved ? 0 : 3) << name;
        EXPECT_EQ(result.err, saved ? "" : "quorrel-cli: " + out + ": Ошибка открытия файла!\n");
    }
    EXPECT_EQ(ReadFile(key), "root's");
    EXPECT_EQ(ReadFile(sticky + "/theirs.smp"), "theirs");
    EXPECT_EQ(ReadFile(mine) == patch_, true);
    EXPECT_EQ(ListDirectory(closed), (std::vector<std::string>{"key", "mine.smp"}));
    EXPECT_EQ(ListDirectory(sticky).size(), 4u);
}

// Mounts made in a namespace of the test's own, which ends with it.
bool PrivateMounts() {
    return ::unshare(CLONE_NEWNS) == 0 &&
           ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

// Files mounted on their own, as containers mount them, cannot be renamed over and are written in
// place.
TEST_F(UserFiles, MountedFilesAreWrittenInPlace) {
    if (!PrivateMounts()) {
        GTEST_SKIP() << "no private mount namespace here: " << std::strerror(errno);
    }
    const std::string out = Put("out.smp", "old"), real = Put("real.smp", "old");
    const std::string ini = Put("mounted.ini", ""), realIni = Put("real.ini", "");
    ASSERT_EQ(::mount(real.c_str(), out.c_str(), nullptr, MS_BIND, nullptr), 0);
    ASSERT_EQ(::mount(realIni.c_str(), ini.c_str(), nullptr, MS_BIND, nullptr), 0);
    std::vector<std::string> args = ConvertArgs(diff_, out);
    args[1] = ini;
    const ProcessResult mounted = RunProcess(QUORREL_CLI_PATH, args);
    EXPECT_EQ(mounted.exitCode, 0) << mounted.err;
    // Written with the defaults the mounted settings file was given.
    EXPECT_NE(ReadFile(realIni).find("NickName=Quorrel"), std::string::npos);
    EXPECT_EQ(Attribute(ReadFile(real), "author", "nickname"), "Quorrel");
    ::umount2(out.c_str(), MNT_DETACH);
    ::umount2(ini.c_str(), MNT_DETACH);
    // Without /proc an unnamed temporary could not be named later: temporaries and the copy of an
    // old patch get names, also where a rename fails, and none is left behind.
    ASSERT_EQ(::mount("none", "/proc", "tmpfs", 0, nullptr), 0);
    const std::string named = Stage(Path("named"), {}, 0755, 0);
    WriteFile(named + "/linked.smp", "old");
    ASSERT_EQ(::link((named + "/linked.smp").c_str(), (named + "/second.smp").c_str()), 0);
    WriteFile(named + "/mounted.smp", "old");
    ASSERT_EQ(::mount(real.c_str(), (named + "/mounted.smp").c_str(), nullptr, MS_BIND, nullptr),
              0);
    for (const std::string name : {"new.smp", "new.smp", "linked.smp", "mounted.smp"}) {
        EXPECT_EQ(SaveFile(named + "/" + name, name).outcome, SaveOutcome::Saved) << name;
        EXPECT_EQ(ReadFile(named + "/" + name), name);
    }
    // A dot, the name cut to 200 bytes, a dot, eight letters or digits, ".tmp".
    FileSave lengthy(named + "/" + std::string(250, 'l'));
    const std::regex temporary("\\.l{200}\\.[a-z0-9]{8}\\.tmp");
    EXPECT_EQ(
        std::ranges::count_if(ListDirectory(named),
                              [&](const std::string& n) { return std::regex_match(n, temporary); }),
        1);
    EXPECT_EQ(lengthy.Commit().outcome, SaveOutcome::Saved);
    {
        // Made again elsewhere, a temporary leaves no name behind where it was made first.
        TemporaryFile again;
        ASSERT_EQ(again.Create(named, "again.smp"), 0);
        ASSERT_EQ(again.Create(dir_.path(), "again.smp"), 0);
    }
    EXPECT_EQ(ReadFile(named + "/second.smp") + ReadFile(real), "linked.smpmounted.smp");
    EXPECT_EQ(ListDirectory(named),
              (std::vector<std::string>{"linked.smp", std::string(250, 'l'), "mounted.smp",
                                        "new.smp", "second.smp"}));
    ::umount2((named + "/mounted.smp").c_str(), MNT_DETACH);
    ::umount2("/proc", MNT_DETACH);
}

// FAT keeps no modes or owners: changing them is refused, which must not fail a save.
TEST_F(UserFiles, FatFileSystemsTakeSavesAndReplacements) {
    if (!PrivateMounts()) {
        GTEST_SKIP() << "no private mount namespace here: " << std::strerror(errno);
    }
    const std::string image = Path("fat.img");
    const std::string mountPoint = Stage(Path("fat"), {}, 0755, 0);
    const std::string mount = "mkfs.vfat -C " + image + " 4096 >/dev/null 2>&1 && mount -o " +
                              "loop,uid=65534,gid=65534,umask=022 " + image + " " + mountPoint +
                              " 2>/dev/null";
    if (std::system(mount.c_str()) != 0) {
        GTEST_SKIP() << "no FAT image can be made and mounted through a loop device here";
    }
    const std::string onFat = mountPoint + "/patch.smp";
    for (int round = 0; round < 2; ++round) {
        const ProcessResult result = SaveAsNobody(onFat);
        EXPECT_EQ(result.exitCode, 0) << "round " << round << ": " << result.err;
        EXPECT_EQ(ReadFile(onFat) == patch_, true) << "round " << round;
    }
    EXPECT_EQ(ListDirectory(mountPoint), std::vector<std::string>{"patch.smp"});
    ::umount2(mountPoint.c_str(), MNT_DETACH);
}

}  // namespace
}  // namespace quorrel::test
