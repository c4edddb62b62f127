// The command line itself: help, version, usage errors, option forms, warnings, output paths.
#include <filesystem>
#include <regex>

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
        for (const char* name : {"--image", "--output", "--title", "--group", "--revision",
                                 "--description", "--firmware", "--id", "--settings", "--quiet",
                                 "--version", "--make-diff", "--compare", "Коды завершения"}) {
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
        {{"--apply", smp, "-", "-i", "-", "-o", "x"},
         "-: стандартный ввод («-») можно прочитать только один раз"},
        {{"--revert", smp, "", "-i", diff, "-o", "x"}, "SMP: пустой путь"},
        {{"--check", smp, "-i", diff, "-t", "T"}, "-t: параметр не используется в этом режиме"},
        {{"--check", smp, "-i", diff, "-o", "x"}, "-o: параметр не используется в этом режиме"},
        {{"--check", smp}, "--check: укажите образ прошивки: -i BIN"},
        {{"--apply", smp, "-i", diff}, "--apply: укажите выходной файл: -o ФАЙЛ"},
        {{"--revert=-", "-i", "-", "-o", "x"},
         "-: стандартный ввод («-») можно прочитать только один раз"},
        {{"--check", smp, "--compare", smp},
         "--compare: допустим только один из параметров --check, --apply, --revert, --make-diff и "
         "--compare"},
        {{"--make-diff", diff, "-i", diff}, "--make-diff: укажите прошивку: -f ТЕКСТ"},
        {{"--compare", diff, "-f", "F"}, "--compare: укажите образ прошивки: -i BIN"},
        {{"--make-diff", diff, "-i", diff, "-f", "F", "--id", "01020304"},
         "--id: параметр не используется в этом режиме"},
        {{"--compare", diff, "-i", diff, "-f", "F", "x"}, "x: лишний аргумент"},
        {{"--compare", "-", "-i", "-", "-f", "F"},
         "-: стандартный ввод («-») можно прочитать только один раз"},
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

// Run in the test directory, so relative paths are the test's. Image warnings come once, unless
// quiet, and old bytes come from any image.
TEST_F(CliTest, OptionFormsFieldsWarningsAndOutputPathsDerivedFromTheLastComponent) {
    std::filesystem::create_directory(Path("d.x"));
    for (const char* diff : {"a.dif", "b.dif", "-x.dif", "a.b.DIF", "noext", "d.x/noext",
                             "d.x/.hidden", "trail.", "abs.dif"}) {
        Put(diff, GoodDiff());
    }
    Put("small.bin", CountingBytes(64, 0x40));
    const std::string tooSmall =
        std::string("quorrel-cli: small.bin: Некорректный BIN-файл!\n") + kNoImageWarning;
    // Zero bytes, CR LF and high bytes survive: the standard streams are binary.
    const std::string binary = DiffBuilder().Nord(0x20, std::string("\x00\xff\x0d\x0a", 4)).bytes();
    const struct {
        std::vector<std::string> args;
        std::string output;
        std::string value;  // a pattern
        std::string attribute = "title";
        std::string element = "info";
        std::string input = {};
        std::string err = {};
    } cases[] = {
        {{"a.dif", "b.dif"}, "a.smp", "<none>", "from", "nord", "", kNoImageWarning},
        {{"-i", "small.bin", "a.dif"}, "a.smp", "505152", "from", "nord", "", tooSmall},
        {{"-q", "-i", "small.bin", "a.dif"}, "a.smp", "505152", "from", "nord"},
        {{"-i", "-", "a.dif", "-q"}, "a.smp", "505152", "from", "nord", CountingBytes(64, 0x40)},
        {{"-q", "-o", "in.smp", "-"}, "in.smp", "00ff0d0a", "to", "nord", binary},
        // With no name to derive a path from, the patch goes to standard output.
        {{"-q", "-"}, "-", "00ff0d0a", "to", "nord", binary},
        {{"-q", "-tB", "a.dif"}, "a.smp", "B"},
        {{"-qtC", "a.dif"}, "a.smp", "C"},
        {{"--title=D=E", "-q", "a.dif"}, "a.smp", "D=E"},
        {{"a.dif", "--title", "-F", "-q"}, "a.smp", "-F"},  // options may follow the DIFF
        {{"-t", "first", "-q", "-t", "last", "a.dif"}, "a.smp", "last"},
        {{"-q", "-t", "G", "--", "-x.dif"}, "-x.smp", "G"},
        {{"-q", "a.b.DIF"}, "a.b.smp", ""},
        {{"-q", "noext"}, "noext.smp", ""},
        {{"-q", "d.x/noext"}, "d.x/noext.smp", ""},
        {{"-q", "d.x/.hidden"}, "d.x/.hidden.smp", ""},
        {{"-q", "trail."}, "trail.smp", ""},
        {{"-q", Path("abs.dif")}, "abs.smp", ""},
        {{"-q", "a.dif"}, "a.smp", "1", "version"},
        {{"-q", "-r", " 7\t ", "a.dif"}, "a.smp", "7", "version"},
        {{"-q", "-r40", "a.dif"}, "a.smp", "40", "version"},
        {{"-q", "--id=0a1b2c3d", "a.dif"}, "a.smp", "0A1B2C3D", "id"},
        {{"-q", "a.dif"}, "a.smp", "[0-9A-F]{8}", "id"},
#ifdef _WIN32
        // Windows separates with either slash.
        {{"-q", "d.x\\noext"}, "d.x/noext.smp", ""},
#endif
    };
    for (const auto& c : cases) {
        const ProcessResult r = Run(c.args, {c.input, dir_.path()});
        EXPECT_EQ(0, r.exitCode) << c.output << ": " << r.err;
        EXPECT_EQ(c.err, r.err) << c.output;
        const std::string patch = c.output == "-" ? r.out : ReadFile(Path(c.output));
        const std::string value = Attribute(patch, c.element, c.attribute);
        EXPECT_TRUE(std::regex_match(value, std::regex(c.value))) << value << " !~ " << c.value;
        EXPECT_FALSE(FileExists(Path("-.smp")));
        std::filesystem::remove(Path(c.output));
    }
}

}  // namespace
}  // namespace quorrel::test
