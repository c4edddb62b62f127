// The command line itself: help, version, usage errors, option forms, derived output paths.
#include <filesystem>

#include "CliFixture.h"

namespace quorrel::test {
namespace {

TEST_F(CliTest, HelpAndVersionGoToStandardOutput) {
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
    const ProcessResult r = Run({"--version"});
    EXPECT_EQ(0, r.exitCode);
    EXPECT_EQ("", r.err);
    EXPECT_EQ("quorrel-cli 1.0.0.1\n", r.out);
}

TEST_F(CliTest, UsageErrorsExitTwoWithTheUsage) {
    const std::string diff = Put("a.dif", GoodDiff());
    const std::string smp = Put("p.smp", "");
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
        {{"-o", Path("x.smp"), diff, diff}, "-o: допустим только с одним DIFF-файлом"},
        {{"--output=-", diff, diff}, "--output: допустим только с одним DIFF-файлом"},
        {{"-", "-"}, "-: стандартный ввод («-») можно прочитать только один раз"},
        {{"-i", "-", "-"}, "-: стандартный ввод («-») можно прочитать только один раз"},
        {{"-o", "", diff}, "-o: пустой путь"},
        {{"", diff}, "DIFF: пустой путь"},
        {{"--check", smp, "-i", diff, "x.dif"},
         "x.dif: DIFF-файлы не используются с --check, --apply и --revert"},
        {{"--check", smp, "-i", diff, "-t", "T"}, "-t: параметр не используется в этом режиме"},
        {{"--check", smp, "-i", diff, "-o", "x"}, "-o: параметр не используется в этом режиме"},
        {{"--check", smp}, "--check: укажите образ прошивки: -i BIN"},
        {{"--apply", smp, "-i", diff}, "--apply: укажите выходной файл: -o ФАЙЛ"},
        {{"--revert=-", "-i", "-", "-o", "x"},
         "-: стандартный ввод («-») можно прочитать только один раз"},
        {{"--check", smp, "--revert", smp},
         "--revert: допустим только один из параметров --check, --apply и --revert"},
        {{"--apply="}, "--apply: пустой путь"},
    };
    for (const auto& c : cases) {
        const ProcessResult r = Run(c.args);
        EXPECT_EQ(2, r.exitCode) << c.first;
        EXPECT_EQ("quorrel-cli: " + c.first +
                      "\nquorrel-cli: Использование: quorrel-cli [параметры] DIFF...\n"
                      "quorrel-cli: Подробнее: quorrel-cli --help\n",
                  r.err);
        EXPECT_EQ("", r.out) << c.first;
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
        const ProcessResult r = Run(c.args, {{}, dir_.path()});
        EXPECT_EQ(0, r.exitCode) << c.title << ": " << r.err;
        const std::string output = c.args.back() == "-x.dif" ? "-x.smp" : "a.smp";
        EXPECT_EQ(c.title, Attribute(ReadFile(Path(output)), "info", "title"));
        std::filesystem::remove(Path(output));
    }
}

TEST_F(CliTest, OutputPathIsDerivedFromTheLastComponent) {
    std::filesystem::create_directory(Path("d.x"));
    const struct {
        std::string diff;
        std::string output;
        bool absolute = false;
    } cases[] = {
        {"a.dif", "a.smp"},
        {"a.b.DIF", "a.b.smp"},
        {"noext", "noext.smp"},
        {"d.x/noext", "d.x/noext.smp"},
        {"d.x/f.dif", "d.x/f.smp"},
        {".hidden", ".hidden.smp"},
        {"trail.", "trail.smp"},
        {"abs.dif", "abs.smp", true},
#ifdef _WIN32
        // Windows separates with either slash.
        {"d.x\\noext2", "d.x/noext2.smp"},
        {"d.x\\g.dif", "d.x/g.smp"},
#endif
    };
    for (const auto& c : cases) {
        const std::string diff = Put(c.diff, GoodDiff());
        const ProcessResult r = Run({"-q", c.absolute ? diff : c.diff}, {{}, dir_.path()});
        EXPECT_EQ(0, r.exitCode) << c.diff << ": " << r.err;
        EXPECT_TRUE(FileExists(Path(c.output))) << c.diff << " -> " << c.output;
    }
}

}  // namespace
}  // namespace quorrel::test
