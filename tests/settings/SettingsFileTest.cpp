#include "SettingsFile.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "FileSystemName.h"
#include "TempDir.h"

namespace quorrel {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;
using Values = std::vector<std::string>;

const std::string kWww(kDefaultWww);
const std::string kFirstStart =
    "[Patch Version]\r\nvalue=0.3\r\n[Author Info]\r\nNickName=Quorrel\r\nFullName=\r\n"
    "Email=\r\nwww=" +
    kWww + "\r\nicq=\r\n";
const Values kDefaults = {"0.3", "Quorrel", "", "", kWww, ""};
const std::string kLong = std::string(1023, 'x') + "y";

// Every entry under `dir`, links not followed: kind, mode, age and contents, so that a replaced,
// rewritten, retargeted or new entry shows.
std::map<std::string, std::string> Snapshot(const std::string& dir) {
    std::map<std::string, std::string> entries;
    for (const auto& e : fs::recursive_directory_iterator(PathFromName(dir))) {
        const std::string path = NameFromPath(e.path());
        const fs::file_status st = e.symlink_status();
        std::string& d = entries[path.substr(dir.size() + 1)];
        d = std::to_string(int(st.type())) + " " + std::to_string(int(st.permissions()));
        if (fs::is_symlink(st)) {
            d += " -> " + fs::read_symlink(e.path()).string();
        } else if (fs::is_regular_file(st)) {
            d += " " + std::to_string(fs::last_write_time(e.path()).time_since_epoch().count());
            try {
                d += " " + ReadFile(path);
            } catch (const std::exception&) {
                d += " unreadable";
            }
        }
    }
    return entries;
}

Values Load(const std::string& path) {
    const AuthorSettings s = SettingsFile(path).LoadAuthorSettings();
    const AuthorInfo& a = s.author;
    return {s.formatVersion, a.nickname, a.fullname, a.email, a.www, a.icq};
}

#ifndef _WIN32
// Loads as nobody when run as root, whom permission bits do not bind; 0 when it read `expected`.
int LoadAsNobody(const std::string& path, const Values& expected) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(30);  // a child that hangs must not outlive the test
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(2);
        }
        ::_exit(Load(path) == expected ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}
#endif

using Make = std::function<void(const std::string& dir)>;

Make Text(std::string bytes) {
    return [=](const std::string& dir) { WriteFile(dir + "/Quorrel.ini", bytes); };
}

struct Case {
    const char* name;
    Make make;
    Values reads;
    bool asNobody = false;
    // The file the load writes, relative to the folder, and its bytes; nothing else may change.
    std::string written = {};
    std::string bytes = {};
    const char* settings = "Quorrel.ini";
};

std::vector<Case> Cases() {
    const std::string filled =
        "; mine\n[Group]\n0=G\n\n[Author Info]\nNickName =   \nEmail=e\n\n[Firmware]\n0=F\n";
    const std::string stored =
        "[author info]\nicq = 12345\nNickName=Nick\nFullName=\"Full Name\"\nEmail=me@x.org\n"
        "www=http://me.x.org/\n[PATCH VERSION]\nvalue=0.4";
    std::vector<Case> cases = {
        {"FirstStartWritesEveryDefaultInOrder", [](auto&) {}, kDefaults, false, "Quorrel.ini",
         kFirstStart},
        {"SecondStartRewritesNothing", Text(kFirstStart), kDefaults},
        {"StoredValuesWin",
         Text(stored),
         {"0.4", "Nick", "Full Name", "me@x.org", "http://me.x.org/", "12345"}},
        {"MissingAndEmptyValuesFilledInPlace",
         Text(filled),
         {"0.3", "Quorrel", "", "e", kWww, ""},
         false,
         "Quorrel.ini",
         "; mine\n[Group]\n0=G\n\n[Author Info]\nNickName =   Quorrel\nEmail=e\nFullName=\nwww=" +
             kWww + "\nicq=\n\n[Firmware]\n0=F\n[Patch Version]\nvalue=0.3\n"},
        {"ValuesCutTo1023Bytes",
         Text("[Patch Version]\nvalue=v\n[Author Info]\nNickName=" + kLong +
              "\nFullName=" + kLong.substr(0, 1023) + "\nEmail=e\nwww=w\nicq=i\n"),
         {"v", kLong.substr(0, 1023), kLong.substr(0, 1023), "e", "w", "i"}},
        {"DirectoryInItsPlace",
         [](const std::string& dir) {
             fs::create_directory(PathFromName(dir + "/Quorrel.ini"));
             WriteFile(dir + "/Quorrel.ini/inside", "x");
         },
         kDefaults},
        {"MissingFolder", [](auto&) {}, kDefaults, false, {}, {}, "missing/Quorrel.ini"},
    };
#ifndef _WIN32
    const auto link = [](
                          const char* target, Make make = [](auto&) {}) {
        return [=](const std::string& dir) {
            make(dir);
            fs::create_symlink(target, dir + "/Quorrel.ini");
        };
    };
    // Made unreadable or read-only for whoever loads it, root included.
    const auto protect = [](mode_t mode, std::string bytes) {
        return [=](const std::string& dir) {
            WriteFile(dir + "/Quorrel.ini", bytes);
            ::chown((dir + "/Quorrel.ini").c_str(), 65534, 65534);
            ::chmod((dir + "/Quorrel.ini").c_str(), mode);
        };
    };
    const std::vector<Case> posix = {
        {"FifoInItsPlaceNeitherBlocksNorChanges",
         [](const std::string& dir) { ::mkfifo((dir + "/Quorrel.ini").c_str(), 0666); }, kDefaults},
        {"UnreadableFileIsNotReplaced", protect(0222, "[Author Info]\nNickName=Nick\n"), kDefaults,
         true},
        {"ReadOnlyFileIsLeftAlone",
         protect(0444, "[Patch Version]\nvalue=1.0\n"),
         {"1.0", "Quorrel", "", "", kWww, ""},
         true},
        {"LinkStaysLinkAndItsTargetIsUpdated",
         link("real/settings.ini",
              [](const std::string& dir) {
                  fs::create_directory(dir + "/real");
                  WriteFile(dir + "/real/settings.ini", "[Author Info]\nNickName=Nick\n");
              }),
         {"0.3", "Nick", "", "", kWww, ""},
         false,
         "real/settings.ini",
         "[Author Info]\nNickName=Nick\nFullName=\nEmail=\nwww=" + kWww +
             "\nicq=\n[Patch Version]\nvalue=0.3\n"},
        {"DanglingLinkGetsItsTargetCreated", link("target.ini"), kDefaults, false, "target.ini",
         kFirstStart},
        {"LinkIntoMissingFolder", link("missing/target.ini"), kDefaults},
        {"LinkToFolder",
         link("folder", [](const std::string& dir) { fs::create_directory(dir + "/folder"); }),
         kDefaults},
        {"LinkLoop",
         link("loop.ini",
              [](const std::string& dir) { fs::create_symlink("Quorrel.ini", dir + "/loop.ini"); }),
         kDefaults},
    };
    cases.insert(cases.end(), posix.begin(), posix.end());
#endif
    return cases;
}

TEST(SettingsFile, ReadsDefaultsAndWritesOnlyWhatIsMissing) {
#ifndef _WIN32
    ::alarm(60);  // a FIFO that blocks a read ends the test
#endif
    const auto aged = fs::file_time_type::clock::now() - std::chrono::hours(1000);
    for (const Case& c : Cases()) {
        TempDir dir;
        c.make(dir.path());
        // Aged, so that a rewrite shows even within the clock's resolution.
        for (const auto& e : fs::recursive_directory_iterator(PathFromName(dir.path()))) {
            if (fs::is_regular_file(e.symlink_status())) {
                fs::last_write_time(e.path(), aged);
            }
        }
#ifndef _WIN32
        ::chmod(dir.path().c_str(), 0777);
#endif
        std::map<std::string, std::string> before = Snapshot(dir.path());
#ifndef _WIN32
        if (c.asNobody) {
            EXPECT_EQ(LoadAsNobody(dir.File(c.settings), c.reads), 0) << c.name;
        } else
#endif
        {
            EXPECT_EQ(Load(dir.File(c.settings)), c.reads) << c.name;
        }
        std::map<std::string, std::string> after = Snapshot(dir.path());
        if (!c.written.empty()) {
            EXPECT_EQ(ReadFile(dir.File(c.written)), c.bytes) << c.name;
            before.erase(c.written);
            after.erase(c.written);
        }
        EXPECT_EQ(after, before) << c.name;
    }
#ifndef _WIN32
    ::alarm(0);
#endif
}

// Lists stop at the first empty value; nothing is written without a file or when not asked.
TEST(SettingsFile, ListsAndReadsThatWriteNothing) {
    const SettingsFile nowhere{std::string()};
    EXPECT_EQ(nowhere.ReadSetting("Patch Version", "value", "d", true), "d");
    EXPECT_EQ(nowhere.ReadSettingList("Group"), Values{});
    TempDir dir;
    const SettingsFile settings(dir.File("Quorrel.ini"));
    EXPECT_EQ(settings.ReadSetting("Author Info", "NickName", "x", false), "");
    EXPECT_EQ(settings.ReadSettingList("Group"), Values{});
    EXPECT_TRUE(fs::is_empty(PathFromName(dir.path())));
    const std::tuple<const char*, std::string, Values> cases[] = {
        {"InKeyOrder", "[Group]\n2=c\n0=a\n1=b\n", {"a", "b", "c"}},
        {"Gap", "[Group]\n0=a\n1=b\n3=d\n", {"a", "b"}},
        {"ZeroMissing", "[Group]\n1=b\n2=c\n", {}},
        {"EmptyValueEnds", "[Group]\n0=a\n1=\n2=c\n", {"a"}},
        {"Trimmed", "[Group]\n0 =  a b \n1='  '\n", {"a b", "  "}},
        {"LeadingZerosAreOtherKeys", "[Group]\n00=a\n", {}},
    };
    for (const auto& [name, text, expected] : cases) {
        WriteFile(dir.File("Quorrel.ini"), text);
        EXPECT_EQ(settings.ReadSettingList("Group"), expected) << name;
    }
}

}  // namespace
}  // namespace quorrel
