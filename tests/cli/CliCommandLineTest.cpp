// The command line itself: help, version, usage errors, option forms, derived output paths.
#include <gtest/gtest.h>

#include <filesystem>

#include "CliFixture.h"
#include "DiffBuilder.h"

namespace quorrel::test {
namespace {

constexpr const char* kUsageTail =
    "quorrel-cli: Использование: quorrel-cli [параметры] DIFF...\n"
    "quorrel-cli: Подробнее: quorrel-cli --help\n";

TEST_F(CliTest, HelpGoesToStandardOutput) {
    for (const char* option : {"--help", "-h"}) {
        // Help wins even over what would be a usage error later on the line.
        const ProcessResult r = Run({option, "--frob"});
        EXPECT_EQ(0, r.exitCode) << option;
        EXPECT_EQ("", r.err);
        EXPECT_EQ(0u, r.out.find("Использование: quorrel-cli [параметры] DIFF...\n")) << r.out;
        for (const char* name :
             {"--image", "--output", "--title", "--group", "--revision", "--description",
              "--firmware", "--id", "--settings", "--quiet", "--version", "Коды завершения"}) {
            EXPECT_NE(std::string::npos, r.out.find(name)) << name;
        }
    }
}

TEST_F(CliTest, VersionGoesToStandardOutput) {
    const ProcessResult r = Run({"--version"});
    EXPECT_EQ(0, r.exitCode);
    EXPECT_EQ("", r.err);
    EXPECT_EQ("quorrel-cli 1.0.0.1\n", r.out);
}

TEST_F(CliTest, UsageErrorsExitTwoWithTheUsage) {
    const std::string diff = Put("a.dif", GoodDiff());
    const struct {
        std::vector<std::string> args;
        std::string first;
    } cases[] = {
        {{"--frob", diff}, "--frob: неизвестный параметр"},
        {{diff, "-x"}, "-x: неизвестный параметр"},
        {{"-qz", diff}, "-z: неизвестный параметр"},
        {{"--titl=abc", diff}, "--titl: неизвестный параметр"},
        {{diff, "-o"}, "-o: не указано значение параметра"},
        {{diff, "--title"}, "--title: не указано значение параметра"},
        {{"--quiet=yes", diff}, "--quiet: параметр не принимает значения"},
        {{}, "не указан DIFF-файл"},
        {{"-q"}, "не указан DIFF-файл"},
        {{"-o", Path("x.smp"), diff, diff}, "-o: допустим только с одним DIFF-файлом"},
        {{"--output=-", diff, diff}, "--output: допустим только с одним DIFF-файлом"},
        {{"-", "-"}, "-: стандартный ввод («-») можно прочитать только один раз"},
        {{"-i", "-", "-"}, "-: стандартный ввод («-») можно прочитать только один раз"},
        {{"-o", "", diff}, "-o: пустой путь"},
        {{"--settings=", diff}, "--settings: пустой путь"},
        {{"", diff}, "DIFF: пустой путь"},
    };
    for (const auto& c : cases) {
        const ProcessResult r = Run(c.args);
        EXPECT_EQ(2, r.exitCode) << c.first;
        EXPECT_EQ("quorrel-cli: " + c.first + "\n" + kUsageTail, r.err);
        EXPECT_EQ("", r.out);
        EXPECT_FALSE(FileExists(Path("a.smp"))) << c.first;
        EXPECT_FALSE(FileExists(Path("x.smp"))) << c.first;
    }
}

TEST_F(CliTest, OptionsTakeTheirValuesInEveryForm) {
    Put("-x.dif", GoodDiff());
    const struct {
        std::vector<std::string> args;
        std::string title;
    } cases[] = {
        {{"-q", "-t", "A", "a.dif"}, "A"},
        {{"-q", "-tB", "a.dif"}, "B"},
        {{"-qtC", "a.dif"}, "C"},
        {{"--title=D=E", "-q", "a.dif"}, "D=E"},
        {{"a.dif", "--title", "-F", "-q"}, "-F"},  // options may follow the DIFF
        {{"-t", "first", "-q", "-t", "last", "a.dif"}, "last"},
        {{"-q", "-t", "G", "--", "-x.dif"}, "G"},
    };
    for (const auto& c : cases) {
        Put("a.dif", GoodDiff());
        const ProcessResult r = Run(c.args, InDirectory(dir_.path()));
        EXPECT_EQ(0, r.exitCode) << c.title << ": " << r.err;
        const std::string output = c.args.back() == "-x.dif" ? "-x.smp" : "a.smp";
        EXPECT_NE(std::string::npos,
                  ReadFile(Path(output)).find("<info title=\"" + c.title + "\" id="))
            << c.title;
        std::filesystem::remove(Path(output));
    }
}

TEST_F(CliTest, OutputPathIsDerivedFromTheLastComponent) {
    std::filesystem::create_directory(Path("d.x"));
    const struct {
        std::string diff;
        std::string output;
    } cases[] = {
        {"a.dif", "a.smp"},
        {"a.b.DIF", "a.b.smp"},
        {"noext", "noext.smp"},
        {"d.x/noext", "d.x/noext.smp"},
        {"d.x/f.dif", "d.x/f.smp"},
        {".hidden", ".hidden.smp"},
        {"trail.", "trail.smp"},
#ifdef _WIN32
        // Windows separates with either slash.
        {"d.x\\noext2", "d.x/noext2.smp"},
        {"d.x\\g.dif", "d.x/g.smp"},
#endif
    };
    for (const auto& c : cases) {
        Put(c.diff, GoodDiff());
        const ProcessResult r = Run({"-q", c.diff}, InDirectory(dir_.path()));
        EXPECT_EQ(0, r.exitCode) << c.diff << ": " << r.err;
        EXPECT_TRUE(FileExists(Path(c.output))) << c.diff << " -> " << c.output;
    }
    // An absolute path keeps its directory.
    const ProcessResult r = Run({"-q", Put("abs.dif", GoodDiff())});
    EXPECT_EQ(0, r.exitCode) << r.err;
    EXPECT_TRUE(FileExists(Path("abs.smp")));
}

}  // namespace
}  // namespace quorrel::test
