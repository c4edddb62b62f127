// How quorrel-cli refuses: exit status, the message on standard error, and nothing written.
#include <gtest/gtest.h>

#include <filesystem>

#include "CliFixture.h"
#include "DiffBuilder.h"

namespace quorrel::test {
namespace {

TEST_F(CliTest, RefusedDiffFilesExitOneNamingTheFile) {
    std::filesystem::create_directory(Path("dir.dif"));
    const struct {
        std::string name;
        std::optional<std::string> bytes;  // nothing: no such file
        std::string message;
    } cases[] = {
        {"missing.dif", std::nullopt, "Ошибка считывания данных из файла!"},
        {"dir.dif", std::nullopt, "Ошибка считывания данных из файла!"},
        {"empty.dif", "", "Неверный формат DIFF-файла!"},
        {"short.dif", GoodDiff().substr(0, 31), "Неверный формат DIFF-файла!"},
        {"magic.dif", DiffBuilder("FW1", "SGHA", "SPFX").bytes(), "Неверный формат DIFF-файла!"},
        {"class.dif", DiffBuilder("FW1", std::string("SGH\0", 4)).bytes(),
         "Неизвестный класс телефона 'SGH'!"},
        {"cyr.dif", DiffBuilder("FW1", "\xC0\xC1\xC2\xC3").bytes(),
         "Неизвестный класс телефона 'АБВГ'!"},
        {"blocks.dif", DiffBuilder().Nord(0, "\x01").Block("FBLX", "NORD", 4, "....").bytes(),
         "Неверный формат файла DIFF-файла!"},
    };
    for (const auto& c : cases) {
        const std::string path = c.bytes ? Put(c.name, *c.bytes) : Path(c.name);
        const ProcessResult r = Run({"-q", "-o", Path("out.smp"), path});
        EXPECT_EQ(1, r.exitCode) << c.name;
        EXPECT_EQ("quorrel-cli: " + path + ": " + c.message + "\n", r.err);
        EXPECT_FALSE(FileExists(Path("out.smp"))) << c.name;
    }
}

TEST_F(CliTest, CompositionErrorLeavesAnExistingPatchAlone) {
    const std::string diff = Put("a.dif", DiffBuilder().Nord(0, "\x01").Raw("junk").bytes());
    Put("a.smp", "old patch");
    const ProcessResult r = Run({"-q", diff});
    EXPECT_EQ(1, r.exitCode);
    EXPECT_EQ("quorrel-cli: " + diff + ": Неверный формат файла DIFF-файла!\n", r.err);
    EXPECT_EQ("old patch", ReadFile(Path("a.smp")));
}

TEST_F(CliTest, UnreadableImageExitsOneAndWritesNothing) {
    const std::string image = Path("missing.bin");
    const ProcessResult r = Run({Put("a.dif", GoodDiff()), "-i", image});
    EXPECT_EQ(1, r.exitCode);
    EXPECT_EQ("quorrel-cli: " + image + ": Ошибка считывания данных из файла!\n", r.err);
    EXPECT_FALSE(FileExists(Path("a.smp")));
}

TEST_F(CliTest, EmptyFirmwareIsAFieldRefusal) {
    const std::string named = Put("named.dif", GoodDiff());
    const std::string nameless = Put("nameless.dif", DiffBuilder("").Nord(0, "\x01").bytes());
    const struct {
        std::vector<std::string> args;
        std::string diff;
    } cases[] = {
        {{"-f", "", named}, named},
        {{"--firmware=", named}, named},
        {{nameless}, nameless},
    };
    for (const auto& c : cases) {
        const ProcessResult r = Run(c.args);
        EXPECT_EQ(2, r.exitCode) << c.diff;
        // The image warning comes first, as the window shows it before looking at the firmware.
        EXPECT_EQ(
            "quorrel-cli: Внимание! BIN File не открыт.\n"
            "quorrel-cli: Без него smp-patch будет не полным.\n"
            "quorrel-cli: " +
                c.diff + ": Укажите прошивку, для которой будет использоваться патч!\n",
            r.err);
        EXPECT_FALSE(FileExists(Path("named.smp")));
        EXPECT_FALSE(FileExists(Path("nameless.smp")));
    }
}

TEST_F(CliTest, BadRevisionOrIdExitsTwo) {
    const std::string diff = Put("a.dif", GoodDiff());
    const struct {
        std::string option;
        std::vector<std::string> values;
        std::string message;
    } cases[] = {
        {"-r",
         {"-1", "abc", "+", "", "1.5", "+0", "7x", std::string(31, ' ') + "1"},
         "Введите целое положительное число."},
        {"--id",
         {"0A1B2C3", "0A1B2C3D0", "FF000000", "0a1b2cff", "0A1B2C3G", "", " 0A1B2C3", "0x0A1B2C"},
         "нужны восемь шестнадцатеричных цифр, ни одна пара которых не равна FF"},
    };
    for (const auto& c : cases) {
        for (const std::string& bad : c.values) {
            const ProcessResult r = Run({"-q", c.option, bad, diff});
            EXPECT_EQ(2, r.exitCode) << c.option << " \"" << bad << '"';
            EXPECT_EQ("quorrel-cli: " + c.option + ": " + c.message + "\n", r.err);
            EXPECT_FALSE(FileExists(Path("a.smp"))) << c.option << " \"" << bad << '"';
        }
    }
}

TEST_F(CliTest, TextWithoutAWindows1251FormExitsTwoNamingTheOption) {
    const std::string diff = Put("a.dif", GoodDiff());
    const struct {
        std::vector<std::string> option;
        std::string message;
    } cases[] = {
        {{"-t", "漢"}, "-t: символа U+6F22 нет в кодировке Windows-1251"},
        {{"--group=ok 😀"}, "--group: символа U+1F600 нет в кодировке Windows-1251"},
#ifdef _WIN32
        // A wide command line holds no bytes; what it can hold that no UTF-8 does is an
        // unpaired surrogate.
        {{"-f", "\xED\xA0\x80"}, "-f: недопустимая последовательность UTF-8"},
        {{"--description", "a\xED\xBF\xBF"},
         "--description: недопустимая последовательность UTF-8"},
#else
        {{"-f", "\xCF\xF0"}, "-f: недопустимая последовательность UTF-8"},
        {{"--description", "a\xff"}, "--description: недопустимая последовательность UTF-8"},
#endif
        {{"-r", "７"}, "-r: символа U+FF17 нет в кодировке Windows-1251"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"-q", diff};
        args.insert(args.end(), c.option.begin(), c.option.end());
        const ProcessResult r = Run(args);
        EXPECT_EQ(2, r.exitCode) << c.message;
        EXPECT_EQ("quorrel-cli: " + c.message + "\n", r.err);
        EXPECT_FALSE(FileExists(Path("a.smp"))) << c.message;
    }
}

TEST_F(CliTest, FullDeviceExitsThreeWithTheDiskFullText) {
    if (!FileExists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full here";
    }
    const std::string diff = Put("a.dif", GoodDiff());
    ProcessResult r = Run({"-q", "-o", "/dev/full", diff});
    EXPECT_EQ(3, r.exitCode);
    EXPECT_EQ("quorrel-cli: Диск переполнен в процессе обращения к /dev/full.\n", r.err);

    r = Run({"-q", "-o", "-", diff}, StdoutTo("/dev/full"));
    EXPECT_EQ(3, r.exitCode);
    EXPECT_EQ("quorrel-cli: Диск переполнен в процессе обращения к <stdout>.\n", r.err);
}

TEST_F(CliTest, ClosedStandardOutputIsAnErrorNotADeath) {
    const ProcessResult r = Run({"-q", "-o", "-", Put("a.dif", GoodDiff())}, StdoutClosed());
    EXPECT_EQ(0, r.signal);
    EXPECT_EQ(3, r.exitCode);
    EXPECT_EQ("quorrel-cli: Неизвестная ошибка при доступе к <stdout>.\n", r.err);
}

TEST_F(CliTest, UnopenableOutputExitsThree) {
    const std::string diff = Put("a.dif", GoodDiff());
    std::filesystem::create_directory(Path("taken.smp"));
    for (const std::string& output : {Path("no/such/dir/a.smp"), Path("taken.smp")}) {
        const ProcessResult r = Run({"-q", "-o", output, diff});
        EXPECT_EQ(3, r.exitCode) << output;
        EXPECT_EQ("quorrel-cli: " + output + ": Ошибка открытия файла!\n", r.err);
    }
    EXPECT_TRUE(std::filesystem::is_directory(Path("taken.smp")));
}

TEST_F(CliTest, NeverWritesAPatchOverAnInput) {
    const std::string diffBytes = GoodDiff();
    const std::string smpNamedDiff = Put("in.smp", diffBytes);
    const std::string diff = Put("a.dif", diffBytes);
    const std::string image = Put("img.bin", "image bytes");
    const struct {
        std::vector<std::string> args;
        std::string output;
    } cases[] = {
        {{smpNamedDiff}, smpNamedDiff},
        {{"-o", diff, diff}, diff},
        {{"-i", image, "-o", image, diff}, image},
        {{"-o", Path("./a.dif"), diff}, Path("./a.dif")},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"-q"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ProcessResult r = Run(args);
        EXPECT_EQ(3, r.exitCode) << c.output;
        EXPECT_EQ("quorrel-cli: " + c.output +
                      ": файл не перезаписан: это входной файл или патч другого DIFF-файла\n",
                  r.err);
    }
    EXPECT_EQ(diffBytes, ReadFile(smpNamedDiff));
    EXPECT_EQ(diffBytes, ReadFile(diff));
    EXPECT_EQ("image bytes", ReadFile(image));
}

TEST_F(CliTest, TwoDiffsWithOneOutputNameDoNotOverwriteEachOther) {
    const std::string first = Put("a.dif", DiffBuilder("ONE").bytes());
    const std::string second = Put("a.diff", DiffBuilder("TWO").bytes());
    const ProcessResult r = Run({"-q", first, second});
    EXPECT_EQ(3, r.exitCode);
    EXPECT_EQ("quorrel-cli: " + Path("a.smp") +
                  ": файл не перезаписан: это входной файл или патч другого DIFF-файла\n",
              r.err);
    EXPECT_NE(std::string::npos, ReadFile(Path("a.smp")).find("firmware=\"ONE\""));
}

TEST_F(CliTest, SeveralDiffsAreEachTriedAndTheWorstStatusWins) {
    std::filesystem::create_directory(Path("blocked.smp"));
    const std::string good1 = Put("good1.dif", GoodDiff());
    const std::string good2 = Put("good2.dif", GoodDiff());
    const std::string badClass = Put("bad.dif", DiffBuilder("FW1", "XXXX").bytes());
    const std::string nameless = Put("nameless.dif", DiffBuilder("").bytes());
    const std::string blocked = Put("blocked.dif", GoodDiff());
    const std::string missing = Path("missing.dif");
    const struct {
        std::vector<std::string> diffs;
        int status;
    } cases[] = {
        {{missing, good1, badClass, good2}, 1},
        {{good1, nameless, badClass, good2}, 2},
        {{blocked, good1, nameless, missing, good2}, 3},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"-q"};
        args.insert(args.end(), c.diffs.begin(), c.diffs.end());
        const ProcessResult r = Run(args);
        EXPECT_EQ(c.status, r.exitCode) << r.err;
        for (const char* written : {"good1.smp", "good2.smp"}) {
            EXPECT_TRUE(FileExists(Path(written))) << written << " in case " << c.status;
            std::filesystem::remove(Path(written));
        }
        for (const std::string& diff : c.diffs) {
            if (diff != good1 && diff != good2) {
                const std::string named = diff == blocked ? Path("blocked.smp") : diff;
                EXPECT_NE(std::string::npos, r.err.find("quorrel-cli: " + named + ": "))
                    << named << "\n"
                    << r.err;
            }
        }
        EXPECT_FALSE(FileExists(Path("bad.smp")));
        EXPECT_FALSE(FileExists(Path("nameless.smp")));
    }
}

}  // namespace
}  // namespace quorrel::test
