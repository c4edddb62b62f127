#include "SettingsFile.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>

#include "FileHandle.h"
#else
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "FileSystemName.h"
#include "TempDir.h"

namespace quorrel {
namespace {

using test::FileExists;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

const std::string kFirstStartFile =
    "[Patch Version]\r\n"
    "value=0.3\r\n"
    "[Author Info]\r\n"
    "NickName=Quorrel\r\n"
    "FullName=\r\n"
    "Email=\r\n"
    "www=" +
    std::string(kDefaultWww) +
    "\r\n"
    "icq=\r\n";

// Which file a path names and when it was last written: a replaced or rewritten file differs.
struct FileStamp {
    std::uint64_t id = 0;
    std::int64_t written = 0;
};

#ifdef _WIN32

FileStamp StampOf(const std::string& path) {
    const FileHandle file(::CreateFileW(PathFromName(path).c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                        nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    EXPECT_TRUE(file.valid() && ::GetFileInformationByHandle(file.get(), &info)) << path;
    return {std::uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow,
            std::int64_t{info.ftLastWriteTime.dwHighDateTime} << 32 |
                info.ftLastWriteTime.dwLowDateTime};
}

#else

struct stat StatOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

FileStamp StampOf(const std::string& path) {
    const struct stat st = StatOf(path);
    return {st.st_ino, std::int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec};
}

#endif

std::vector<std::string> Entries(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(PathFromName(dir))) {
        names.push_back(NameFromPath(entry.path().filename()));
    }
    return names;
}

// Format version, nickname, full name, email, web address and icq, in that order.
void ExpectSettings(const AuthorSettings& s, const std::vector<std::string_view>& expected) {
    const std::vector<std::string_view> got = {s.formatVersion,   s.author.nickname,
                                               s.author.fullname, s.author.email,
                                               s.author.www,      s.author.icq};
    EXPECT_EQ(got, expected);
}

void ExpectDefaults(const AuthorSettings& s) {
    ExpectSettings(s, {"0.3", "Quorrel", "", "", kDefaultWww, ""});
}

TEST(SettingsFile, FirstStartCreatesFileWithEveryDefaultInOrderAndSecondLeavesItUntouched) {
    TempDir dir;
    const SettingsFile settings(dir.File("Quorrel.ini"));
    ExpectDefaults(settings.LoadAuthorSettings());
    EXPECT_EQ(ReadFile(settings.path()), kFirstStartFile);
    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"Quorrel.ini"});

    const FileStamp before = StampOf(settings.path());
    // The empty FullName, Email and icq are "written" again with the value they hold.
    ExpectDefaults(settings.LoadAuthorSettings());
    const FileStamp after = StampOf(settings.path());
    EXPECT_EQ(after.id, before.id);
    EXPECT_EQ(after.written, before.written);
    EXPECT_EQ(ReadFile(settings.path()), kFirstStartFile);
}

TEST(SettingsFile, StoredValuesWinAndAreNotWritten) {
    TempDir dir;
    const std::string text =
        "[author info]\n"
        "icq = 12345\n"
        "NickName=Nick\n"
        "FullName=\"Full Name\"\n"
        "Email=me@example.org\n"
        "www=http://me.example.org/\n"
        "[PATCH VERSION]\n"
        "value=0.4";
    WriteFile(dir.File("Quorrel.ini"), text);
    const FileStamp before = StampOf(dir.File("Quorrel.ini"));
    const AuthorSettings s = SettingsFile(dir.File("Quorrel.ini")).LoadAuthorSettings();
    ExpectSettings(
        s, {"0.4", "Nick", "Full Name", "me@example.org", "http://me.example.org/", "12345"});
    EXPECT_EQ(ReadFile(dir.File("Quorrel.ini")), text);
    EXPECT_EQ(StampOf(dir.File("Quorrel.ini")).id, before.id);
}

TEST(SettingsFile, MissingAndEmptyValuesFilledInPlace) {
    TempDir dir;
    WriteFile(dir.File("Quorrel.ini"),
              "; mine\n"
              "[Group]\n"
              "0=G\n"
              "\n"
              "[Author Info]\n"
              "NickName =   \n"
              "Email=e\n"
              "\n"
              "[Firmware]\n"
              "0=F\n");
    const AuthorSettings s = SettingsFile(dir.File("Quorrel.ini")).LoadAuthorSettings();
    EXPECT_EQ(s.author.nickname, "Quorrel");
    EXPECT_EQ(s.author.email, "e");
    EXPECT_EQ(ReadFile(dir.File("Quorrel.ini")),
              "; mine\n"
              "[Group]\n"
              "0=G\n"
              "\n"
              "[Author Info]\n"
              "NickName =   Quorrel\n"
              "Email=e\n"
              "FullName=\n"
              "www=" +
                  std::string(kDefaultWww) +
                  "\n"
                  "icq=\n"
                  "\n"
                  "[Firmware]\n"
                  "0=F\n"
                  "[Patch Version]\n"
                  "value=0.3\n");
}

TEST(SettingsFile, ReadWithoutWriteDefaultCreatesNothing) {
    TempDir dir;
    const SettingsFile settings(dir.File("Quorrel.ini"));
    EXPECT_EQ(settings.ReadSetting("Author Info", "NickName", "x", false), "");
    EXPECT_EQ(settings.ReadSettingList("Group"), std::vector<std::string>{});
    EXPECT_FALSE(FileExists(settings.path()));
}

struct ListCase {
    const char* name;
    std::string text;
    std::vector<std::string> expected;
};

void PrintTo(const ListCase& c, std::ostream* os) {
    *os << c.name;
}

class SettingsFileList : public ::testing::TestWithParam<ListCase> {};

TEST_P(SettingsFileList, StopsAtFirstEmptyValue) {
    TempDir dir;
    WriteFile(dir.File("Quorrel.ini"), GetParam().text);
    EXPECT_EQ(SettingsFile(dir.File("Quorrel.ini")).ReadSettingList("Group"), GetParam().expected);
}

const ListCase kListCases[] = {
    {"InKeyOrder", "[Group]\n2=c\n0=a\n1=b\n", {"a", "b", "c"}},
    {"Gap", "[Group]\n0=a\n1=b\n3=d\n", {"a", "b"}},
    {"ZeroMissing", "[Group]\n1=b\n2=c\n", {}},
    {"EmptyValueEnds", "[Group]\n0=a\n1=\n2=c\n", {"a"}},
    {"OtherSectionIgnored", "[Firmware]\n0=f\n[group]\n0=g\n", {"g"}},
    {"NoSection", "[Firmware]\n0=f\n", {}},
    {"Trimmed", "[Group]\n0 =  a b \n1='  '\n", {"a b", "  "}},
    {"LeadingZerosAreOtherKeys", "[Group]\n00=a\n", {}},
};

INSTANTIATE_TEST_SUITE_P(Cases, SettingsFileList, ::testing::ValuesIn(kListCases),
                         [](const auto& c) { return std::string(c.param.name); });

class SettingsFileLength : public ::testing::TestWithParam<std::size_t> {};

TEST_P(SettingsFileLength, ValuesCutTo1023Bytes) {
    const std::size_t n = GetParam();
    std::string value;
    for (std::size_t i = 0; i < n; ++i) {
        value.push_back(static_cast<char>('a' + i % 26));
    }
    TempDir dir;
    const std::string text =
        "[Group]\n0=" + value + "\n1=x\n[Author Info]\nNickName=" + value + "\n";
    WriteFile(dir.File("Quorrel.ini"), text);
    const SettingsFile settings(dir.File("Quorrel.ini"));
    const std::string cut = value.substr(0, 1023);
    EXPECT_EQ(settings.ReadSettingList("Group"), (std::vector<std::string>{cut, "x"}));
    EXPECT_EQ(settings.ReadSetting("Author Info", "NickName", "d", true), cut);
    EXPECT_EQ(ReadFile(settings.path()), text);
}

INSTANTIATE_TEST_SUITE_P(Sizes, SettingsFileLength, ::testing::Values(1022, 1023, 1024, 2000));

// Links, FIFOs, permission bits and forked writers: POSIX only; tests/windows has the
// Windows counterparts.
#ifndef _WIN32

TEST(SettingsFile, SymbolicLinkStaysLinkAndTargetIsUpdated) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("real"));
    WriteFile(dir.File("real/settings.ini"), "[Author Info]\nNickName=Nick\n");
    std::filesystem::create_symlink("real/settings.ini", dir.File("Quorrel.ini"));
    const AuthorSettings s = SettingsFile(dir.File("Quorrel.ini")).LoadAuthorSettings();
    EXPECT_EQ(s.author.nickname, "Nick");
    EXPECT_TRUE(S_ISLNK(StatOf(dir.File("Quorrel.ini")).st_mode));
    EXPECT_EQ(std::filesystem::read_symlink(dir.File("Quorrel.ini")), "real/settings.ini");
    EXPECT_EQ(ReadFile(dir.File("real/settings.ini")),
              "[Author Info]\nNickName=Nick\nFullName=\nEmail=\nwww=" + std::string(kDefaultWww) +
                  "\nicq=\n[Patch Version]\nvalue=0.3\n");
    EXPECT_EQ(Entries(dir.File("real")), std::vector<std::string>{"settings.ini"});
}

TEST(SettingsFile, DanglingLinkCreatesItsTarget) {
    TempDir dir;
    std::filesystem::create_symlink("target.ini", dir.File("Quorrel.ini"));
    ExpectDefaults(SettingsFile(dir.File("Quorrel.ini")).LoadAuthorSettings());
    EXPECT_TRUE(S_ISLNK(StatOf(dir.File("Quorrel.ini")).st_mode));
    EXPECT_EQ(ReadFile(dir.File("target.ini")), kFirstStartFile);
}

TEST(SettingsFile, LinkIntoMissingDirectoryGivesDefaults) {
    TempDir dir;
    std::filesystem::create_symlink("missing/target.ini", dir.File("Quorrel.ini"));
    ExpectDefaults(SettingsFile(dir.File("Quorrel.ini")).LoadAuthorSettings());
    EXPECT_EQ(std::filesystem::read_symlink(dir.File("Quorrel.ini")), "missing/target.ini");
    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"Quorrel.ini"});
}

#endif

TEST(SettingsFile, DirectoryInPlaceOfFileGivesDefaults) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("Quorrel.ini"));
    const SettingsFile settings(dir.File("Quorrel.ini"));
    ExpectDefaults(settings.LoadAuthorSettings());
    EXPECT_EQ(settings.ReadSettingList("Group"), std::vector<std::string>{});
    EXPECT_TRUE(std::filesystem::is_directory(settings.path()));
    EXPECT_TRUE(std::filesystem::is_empty(settings.path()));
    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"Quorrel.ini"});
}

#ifndef _WIN32

TEST(SettingsFile, FifoInPlaceOfFileNeitherBlocksNorChanges) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("Quorrel.ini").c_str(), 0600), 0);
    ExpectDefaults(SettingsFile(dir.File("Quorrel.ini")).LoadAuthorSettings());
    EXPECT_TRUE(S_ISFIFO(StatOf(dir.File("Quorrel.ini")).st_mode));
    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"Quorrel.ini"});
}

TEST(SettingsFile, UnreadableFileIsNotReplaced) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permission bits do not stop root";
    }
    TempDir dir;
    WriteFile(dir.File("Quorrel.ini"), "[Author Info]\nNickName=Nick\n");
    ASSERT_EQ(::chmod(dir.File("Quorrel.ini").c_str(), 0), 0);
    ExpectDefaults(SettingsFile(dir.File("Quorrel.ini")).LoadAuthorSettings());
    ASSERT_EQ(::chmod(dir.File("Quorrel.ini").c_str(), 0600), 0);
    EXPECT_EQ(ReadFile(dir.File("Quorrel.ini")), "[Author Info]\nNickName=Nick\n");
}

TEST(SettingsFile, ReadOnlyFileIsLeftAlone) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root may write any file, so a read-only mode cannot refuse it";
    }
    TempDir dir;
    const std::string original = "[Patch Version]\nvalue=1.0\n";
    WriteFile(dir.File("Quorrel.ini"), original);
    ASSERT_EQ(::chmod(dir.File("Quorrel.ini").c_str(), 0444), 0);
    const AuthorSettings loaded = SettingsFile(dir.File("Quorrel.ini")).LoadAuthorSettings();
    EXPECT_EQ(loaded.formatVersion, "1.0");
    EXPECT_EQ(loaded.author.nickname, kDefaultNickName);
    EXPECT_EQ(StatOf(dir.File("Quorrel.ini")).st_mode & 07777, 0444u);
    EXPECT_EQ(ReadFile(dir.File("Quorrel.ini")), original);
}

#endif

TEST(SettingsFile, EmptyPathOrMissingDirectoryGivesDefaults) {
    const SettingsFile nowhere{std::string()};
    ExpectDefaults(nowhere.LoadAuthorSettings());
    EXPECT_EQ(nowhere.ReadSettingList("Group"), std::vector<std::string>{});

    TempDir dir;
    ExpectDefaults(SettingsFile(dir.File("missing/Quorrel.ini")).LoadAuthorSettings());
    EXPECT_FALSE(FileExists(dir.File("missing")));
}

#ifndef _WIN32

// In a child with a small file size limit the write of the defaults fails part-way.
int LoadWithFileSizeLimit(const std::string& path, rlim_t limit) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const struct rlimit rl = {limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &rl);
        const AuthorSettings s = SettingsFile(path).LoadAuthorSettings();
        ::_exit(s.author.nickname == kDefaultNickName && s.formatVersion == "0.3" ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SettingsFile, FailedWriteChangesNothingAndAFailedFirstWriteLeavesNoFile) {
    TempDir dir;
    const std::string text = "; a comment long enough to pass the limit\n[Author Info]\nicq=1\n";
    WriteFile(dir.File("Quorrel.ini"), text);
    const struct stat before = StatOf(dir.File("Quorrel.ini"));
    EXPECT_EQ(LoadWithFileSizeLimit(dir.File("Quorrel.ini"), 16), 0);
    EXPECT_EQ(ReadFile(dir.File("Quorrel.ini")), text);
    EXPECT_EQ(StatOf(dir.File("Quorrel.ini")).st_ino, before.st_ino);
    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"Quorrel.ini"});

    TempDir empty;
    EXPECT_EQ(LoadWithFileSizeLimit(empty.File("Quorrel.ini"), 8), 0);
    EXPECT_EQ(Entries(empty.path()), std::vector<std::string>{});
}

TEST(SettingsFile, TwoProcessesWritingDefaultsAtOnceLeaveOneWholeFile) {
    for (int round = 0; round < 100; ++round) {
        TempDir dir;
        const std::string path = dir.File("Quorrel.ini");
        int gate[2];
        ASSERT_EQ(::pipe(gate), 0);
        pid_t children[2];
        for (pid_t& child : children) {
            child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                ::close(gate[1]);
                char go;
                const bool released = ::read(gate[0], &go, 1) == 0;
                const AuthorSettings s = SettingsFile(path).LoadAuthorSettings();
                ::_exit(released && s.author.www == kDefaultWww ? 0 : 1);
            }
        }
        ::close(gate[0]);
        ::close(gate[1]);  // end of file wakes both children at once
        for (pid_t child : children) {
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "round " << round;
        }
        ASSERT_EQ(ReadFile(path), kFirstStartFile) << "round " << round;
        ASSERT_EQ(Entries(dir.path()), std::vector<std::string>{"Quorrel.ini"})
            << "round " << round;
    }
}

#endif

}  // namespace
}  // namespace quorrel
