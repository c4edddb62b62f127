// How quorrel-cli refuses: exit status, the message on standard error, and nothing written.
#include <algorithm>
#include <filesystem>
#include <map>

#include "CliFixture.h"

namespace quorrel::test {
namespace {

// Every file below `root` with its bytes, so that a refusal can be shown to change nothing.
std::map<std::string, std::string> Snapshot(const std::string& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        files[entry.path().string()] =
            entry.is_regular_file() ? ReadFile(entry.path().string()) : "<folder>";
    }
    return files;
}

TEST_F(CliTest, RefusalsExitWithTheirStatusAndChangeNoFile) {
    std::filesystem::create_directory(Path("dir.dif"));
    Put("blocks.smp", "old patch");
    const std::string good = Put("a.dif", GoodDiff());
    const std::string smpNamedDiff = Put("in.smp", GoodDiff());
    const std::string image = Put("img.bin", "image bytes");
    const std::string same = Put("same.bin", "image bytes");
    const std::string changed = Put("changed.bin", "image BYTES");
    const std::string magic = Put("magic.dif", DiffBuilder("FW1", "SGHA", "SPFX").bytes());
    // A NORD block claiming 4 GiB of new bytes in a file of a few dozen.
    const std::string blocks =
        Put("blocks.dif",
            DiffBuilder().Nord(0, "ab").Block("FBLK", "NORD", 0xFFFFFFFF).Le32(0).bytes());
    const std::string nameless = Put("nameless.dif", DiffBuilder("").Nord(0, "\x01").bytes());
#ifndef _WIN32
    // Sparse files of 4 GiB and more, outside the snapshot: refused unread, like a missing file.
    const TempDir sparse;
    const std::string huge = sparse.File("huge"), larger = sparse.File("larger");
    WriteFile(huge, "");
    WriteFile(larger, "");
    std::filesystem::resize_file(huge, 0xFFFFFFFF);
    std::filesystem::resize_file(larger, 0x100001000);
#endif
    const std::string unread = ": Ошибка считывания данных из файла!";
    const std::string overInput =
        ": файл не перезаписан: это входной файл или патч другого DIFF-файла";
    const std::string noFirmware = ": Укажите прошивку, для которой будет использоваться патч!";
    const std::string badText = ": недопустимая последовательность UTF-8";
    // A patch that fits the image, read from standard input as the inputs below are.
    const std::string fits = Put("fits.smp",
                                 "<patch><patchdata><changes>\n<nord offset=\"0x0\" from=\"69\" "
                                 "to=\"49\"/>\n</changes></patchdata></patch>");
    ProcessOptions closed, full, imageIn, diffIn, patchIn, noStdout, noStdin;
    closed.stdoutClosed = true;
    full.stdoutPath = "/dev/full";
    imageIn.stdinPath = image;
    diffIn.stdinPath = good;
    patchIn.stdinPath = fits;
    // Started without them, no file opened later stands in for standard streams.
    noStdout.closed = {0, 1};
    noStdin.closed = {0};
    const struct {
        std::vector<std::string> args;
        int status;
        std::string err;
        bool warned = false;  // without -q, the missing image is warned of first
        ProcessOptions options = {};
    } cases[] = {
        {{Path("missing.dif")}, 1, Path("missing.dif") + unread},
        {{magic}, 1, magic + ": Неверный формат DIFF-файла!"},
        {{blocks}, 1, blocks + ": Неверный формат файла DIFF-файла!"},
        {{"-i", Path("no.bin"), good}, 1, Path("no.bin") + unread},
#ifndef _WIN32
        {{huge}, 1, huge + unread},
        {{larger}, 1, larger + unread},
        {{"-i", huge, good}, 1, huge + unread},
        {{"-i", larger, good}, 1, larger + unread},
        {{"--compare", huge, "-i", image, "-f", "F"}, 1, huge + unread},
#endif
        {{"-r", "-1", good}, 2, "-r: Введите целое положительное число."},
        {{"--id", "0a1b2cff", good},
         2,
         "--id: нужны восемь шестнадцатеричных цифр, ни одна пара которых не равна FF"},
        {{"-t", "漢", good}, 2, "-t: символа U+6F22 нет в кодировке Windows-1251"},
        {{"-r", "７", good}, 2, "-r: символа U+FF17 нет в кодировке Windows-1251"},
#ifdef _WIN32
        // A wide command line holds no bytes, but it can hold an unpaired surrogate.
        {{"--group", "a\xED\xA0\x80", good}, 2, "--group" + badText},
#else
        {{"--group", "a\xff", good}, 2, "--group" + badText},
#endif
        {{"-f", "", good}, 2, good + noFirmware, true},
        {{nameless}, 2, nameless + noFirmware, true},
        {{"-o", Path("no/dir/a.smp"), good}, 3, Path("no/dir/a.smp") + ": Ошибка открытия файла!"},
        {{"-o", Path("dir.dif"), good}, 3, Path("dir.dif") + ": Ошибка открытия файла!"},
        {{smpNamedDiff}, 3, smpNamedDiff + overInput},
        {{"-i", image, "-o", image, good}, 3, image + overInput},
        {{"-o", Path("./a.dif"), good}, 3, Path("./a.dif") + overInput},
        {{"--make-diff", image, "-i", good, "-f", "F"},
         1,
         image + ": образы разного размера: 11 байт, а образ -i - 51 байт"},
        {{"--compare", image, "-i", same, "-f", "F", "-o", "-"},
         1,
         image + ": образы совпадают: сравнивать нечего"},
        {{"--make-diff", Path("no.bin"), "-i", image, "-f", "F"}, 1, Path("no.bin") + unread},
        {{"--compare", image, "-i", Path("dir.dif"), "-f", "F"}, 1, Path("dir.dif") + unread},
        {{"--make-diff", image, "-i", changed, "-f", ""}, 2, "-f" + noFirmware},
        {{"--make-diff", image, "-i", changed, "-f", "ПрошивкаДляТеста1"},
         2,
         "-f: имя прошивки в DIFF-файле занимает не больше 16 байт"},
        // The default output is the new image's path with .smp: here an input's.
        {{"--compare", smpNamedDiff, "-i", good, "-f", "F"}, 3, smpNamedDiff + overInput},
        {{"--make-diff", image, "-i", changed, "-f", "F", "-o", changed}, 3, changed + overInput},
        {{"--make-diff", image, "-i", changed, "-f", "F", "-o", "-"},
         3,
         "Неизвестная ошибка при доступе к <stdout>.",
         false,
         closed},
        {{"-i", "-", "-o", image, good}, 3, image + overInput, false, imageIn},
        {{"-o", good, "-"}, 3, good + overInput, false, diffIn},
        {{"--make-diff", "-", "-i", changed, "-f", "F", "-o", image},
         3,
         image + overInput,
         false,
         imageIn},
        {{"--apply", "-", "-i", image, "-o", fits},
         3,
         fits + ": файл не перезаписан: это файл патча",
         false,
         patchIn},
        {{"-o", "-", good}, 3, "Неизвестная ошибка при доступе к <stdout>.", false, closed},
#ifndef _WIN32
        {{"-o", "-", good}, 3, "Диск переполнен в процессе обращения к <stdout>.", false, full},
        {{"-o", "-", good}, 3, "С файлом <stdout> связан неверный дескриптор.", false, noStdout},
        {{"-i", image, "-"}, 1, "<stdin>" + unread, false, noStdin},
#endif
    };
    const auto before = Snapshot(dir_.path());
    for (const auto& c : cases) {
        std::vector<std::string> args(c.warned ? 0 : 1, "-q");
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ProcessResult r = Run(args, c.options);
        EXPECT_EQ(0, r.signal) << c.err;  // a reported error, not a death by signal
        EXPECT_EQ(c.status, r.exitCode) << c.err;
        EXPECT_LT(r.maxRssKib, 128 * 1024) << c.err;  // nothing claimed or refused is held
        EXPECT_EQ((c.warned ? kNoImageWarning : "") + ("quorrel-cli: " + c.err + "\n"), r.err);
        EXPECT_EQ("", r.out) << c.err;
        EXPECT_EQ(before, Snapshot(dir_.path())) << c.err;
    }
}

TEST_F(CliTest, SeveralDiffsAreEachTriedAndTheWorstStatusWins) {
    std::filesystem::create_directory(Path("blocked.smp"));
    const std::string good1 = Put("good1.dif", GoodDiff());
    const std::string good2 = Put("good2.dif", GoodDiff());
    const std::string badClass = Put("bad.dif", DiffBuilder("FW1", "XXXX").bytes());
    const std::string nameless = Put("nameless.dif", DiffBuilder("").bytes());
    const std::string blocked = Put("blocked.dif", GoodDiff());
    const std::string missing = Path("missing.dif");
    // Two DIFF files with one output name: the second may not overwrite the first's patch.
    const std::string one = Put("a.dif", DiffBuilder("ONE").bytes());
#ifdef _WIN32
    // Where names differ in letter case only, they are one name.
    const std::string two = Put("A.diff", DiffBuilder("TWO").bytes()), collided = Path("A.smp");
#else
    const std::string two = Put("a.diff", DiffBuilder("TWO").bytes()), collided = Path("a.smp");
#endif
    const struct {
        std::vector<std::string> diffs;
        int status;
        std::vector<std::string> named;  // in the messages
    } cases[] = {
        {{missing, good1, badClass, good2}, 1, {missing, badClass}},
        {{good1, nameless, badClass, good2}, 2, {nameless, badClass}},
        {{blocked, good1, nameless, missing, good2}, 3, {Path("blocked.smp"), nameless, missing}},
        {{one, good1, two, good2}, 3, {collided}},
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
        for (const std::string& named : c.named) {
            EXPECT_NE(std::string::npos, r.err.find("quorrel-cli: " + named + ": ")) << named;
        }
        EXPECT_EQ(c.named.size(),
                  static_cast<std::size_t>(std::count(r.err.begin(), r.err.end(), '\n')))
            << r.err;
        EXPECT_FALSE(FileExists(Path("bad.smp")));
        EXPECT_FALSE(FileExists(Path("nameless.smp")));
    }
    EXPECT_EQ("ONE", Attribute(ReadFile(Path("a.smp")), "patchdata", "firmware"));
}

}  // namespace
}  // namespace quorrel::test
