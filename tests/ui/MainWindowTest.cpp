#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>

#include "ComposeSmpPatch.h"
#include "Cp1251.h"
#include "DiffBuilder.h"
#include "FakeWindowView.h"
#include "FileChecks.h"
#include "MainWindow.h"
#include "MakePatchId.h"
#include "TempDir.h"

namespace quorrel {
namespace {

using test::DiffBuilder;
using test::FakeWindowView;
using test::MessageLine;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;
using Log = std::vector<std::string>;

// Windows-1251 bytes of UTF-8 test text.
std::string W(std::string_view utf8) {
    return cp1251::FromUtf8(utf8).text;
}

const std::string kOpenDiffFilters = "[DIFF файлы (*.dif)|*.dif] [Все файлы (*.*)|*.*] *.dif";
const std::string kOpenBinFilters = "[BIN файлы (*.bin)|*.bin] [Все файлы (*.*)|*.*] *.bin";
const std::string kSaveFilters = "[SMP файлы (*.smp)|*.smp] [Все файлы (*.*)|*.*] *.smp";

const std::string kNoImageWarning =
    MessageLine("Внимание! BIN File не открыт.\r\nБез него smp-patch будет не полным.",
                "Предупреждение", MessageIcon::Warning, MessageButtons::OkCancel);
const std::string kNoFirmwareWarning =
    MessageLine("Укажите прошивку, для которой будет использоваться патч!", "Предупреждение",
                MessageIcon::Warning, MessageButtons::Ok);
const std::string kVersionMessage = MessageLine("Введите целое положительное число.", "Quorrel",
                                                MessageIcon::Warning, MessageButtons::Ok);
const std::string kSavedMessage = MessageLine("SMP-патч успешно создан!", "Патч создан",
                                              MessageIcon::Information, MessageButtons::Ok);

const std::string kTitledSave =
    "save '|" + cp1251::FromUtf8("Громкость").text + "' " + kSaveFilters;
const std::string kUntitledSave = "save '|' " + kSaveFilters;

std::string ErrorLine(std::string_view utf8) {
    return MessageLine(utf8, "Ошибка", MessageIcon::Error, MessageButtons::Ok);
}

const std::string kSettings =
    "[Patch Version]\nvalue=0.4\n"
    "[Author Info]\nNickName=Nick\nFullName=" +
    W("Иван Петров") +
    "\nEmail=ivan@example.org\nwww=http://example.org/\nicq=12345\n"
    "[Group]\n0=" +
    W("Звук") + "\n1=" + W("Интерфейс") + "\n3=" + W("После пропуска") +
    "\n"
    "[Firmware]\n0=E250B\n1=E250A\n";

// The id a saved patch carries.
std::string IdOf(const std::string& patch) {
    const std::string key = " id=\"";
    const std::size_t at = patch.find(key);
    return at == std::string::npos ? std::string() : patch.substr(at + key.size(), 8);
}

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteFile(SettingsPath(), kSettings);
        window_ = std::make_unique<MainWindow>(view_, SettingsFile(SettingsPath()));
        builtLog_ = view_.TakeLog();
        window_->FirstShowing();
        firstShowingLog_ = view_.TakeLog();
    }

    std::string SettingsPath() const { return dir_.File("Quorrel.ini"); }

    std::string Put(std::string_view name, std::string_view bytes) {
        const std::string path = dir_.File(name);
        WriteFile(path, bytes);
        return path;
    }

    void OpenDiff(const std::string& path) {
        view_.chosen.push_back(path);
        window_->OpenDiff();
    }
    void OpenImage(const std::string& path) {
        view_.chosen.push_back(path);
        window_->OpenImage();
    }

    // A DIFF with one change inside a 100-byte image and one beyond it.
    std::string GoodDiff(std::string_view firmware = "NOT-IN-LIST") {
        diffBytes_ = DiffBuilder(firmware).Nord(0x10, "\xAA\xBB").Nord(0x1000, "\xCC").bytes();
        return Put("good.dif", diffBytes_);
    }

    // What the engine composes from the state's inputs with the typed fields.
    std::string Expected(const std::string& id, const PatchInfo& info,
                         const std::string* image) const {
        const LoadedFile diff = LoadedFile::FromBytes(diffBytes_);
        if (image == nullptr) {
            return ComposeSmpPatchWithId(info, id, diff, nullptr).text;
        }
        const LoadedFile img = LoadedFile::FromBytes(*image);
        return ComposeSmpPatchWithId(info, id, diff, &img).text;
    }

    PatchInfo TypedInfo() const {
        PatchInfo info;
        info.formatVersion = "0.4";
        info.title = W("Громкость");
        info.group = W("Звук");
        info.version = 12;
        info.description = W("Громче звонок");
        info.author = {"Nick", W("Иван Петров"), "ivan@example.org", "http://example.org/",
                       "12345"};
        info.firmware = "E250A";
        return info;
    }

    // Saves to `out`, answering the no-image warning with `warning` when one is given.
    Log SaveTo(const std::string& out, std::optional<MessageAnswer> warning = MessageAnswer::Ok) {
        if (warning) {
            view_.answers.push_back(*warning);
        }
        view_.chosen.push_back(out);
        window_->SaveSmp();
        return view_.TakeLog();
    }

    // The saved patch, after checking it is what the engine composes under its own id.
    std::string Saved(const std::string& out, const std::string* image) const {
        const std::string saved = ReadFile(out);
        EXPECT_TRUE(IsPatchId(IdOf(saved))) << IdOf(saved);
        EXPECT_EQ(saved, Expected(IdOf(saved), TypedInfo(), image));
        return saved;
    }

    void TypeFields() {
        view_.Type(ControlId::Title, W("Громкость"));
        view_.Type(ControlId::Group, W("Звук"));
        view_.Type(ControlId::Version, " 12 ");
        view_.Type(ControlId::Description, W("Громче звонок"));
        view_.Type(ControlId::Firmware, "E250A");
    }

    TempDir dir_;
    FakeWindowView view_;
    std::unique_ptr<MainWindow> window_;
    std::string diffBytes_;
    Log builtLog_;
    Log firstShowingLog_;
};

TEST_F(MainWindowTest, FirstShowingPutsFieldsFillsListsUpToTheGapAndFocusesDiffPath) {
    EXPECT_EQ(builtLog_, Log{}) << "building the state touches no control";
    EXPECT_EQ(firstShowingLog_,
              (Log{"set 1009 1", "frame items", "enable 1007 off", "dropped 1011 84", "clear 1011",
                   "add 1011 Звук", "add 1011 Интерфейс", "dropped 1013 84", "clear 1013",
                   "add 1013 E250B", "add 1013 E250A", "focus 1000"}));
    EXPECT_FALSE(window_->diffAccepted());
    EXPECT_FALSE(window_->imageAccepted());
    EXPECT_TRUE(window_->diff().failed());
    EXPECT_TRUE(window_->image().failed());
}

TEST(MainWindowStart, AuthorDetailsAreReadOnceWhenTheStateIsBuilt) {
    TempDir dir;
    const std::string ini = dir.File("Quorrel.ini");
    FakeWindowView view;
    MainWindow window(view, SettingsFile(ini));
    EXPECT_EQ(window.authorSettings().formatVersion, "0.3");
    EXPECT_EQ(window.authorSettings().author.nickname, "Quorrel");
    EXPECT_NE(ReadFile(ini).find("NickName=Quorrel"), std::string::npos)
        << "the defaults are written back at start";

    // Later edits of the file do not reach the running window.
    WriteFile(ini, kSettings);
    EXPECT_EQ(window.authorSettings().author.nickname, "Quorrel");
}

TEST_F(MainWindowTest, CancelledOpenChangesNothing) {
    const std::string path = GoodDiff();
    OpenDiff(path);
    const std::uint8_t* held = window_->diff().data();
    view_.TakeLog();

    OpenDiff("");
    EXPECT_EQ(view_.TakeLog(), Log{"open '" + path + "' " + kOpenDiffFilters});
    EXPECT_EQ(window_->diffPath(), path);
    EXPECT_EQ(window_->diff().data(), held);
    EXPECT_TRUE(window_->diffAccepted());

    view_.chosen.push_back("");
    window_->OpenImage();
    EXPECT_EQ(view_.TakeLog(), Log{"open '' " + kOpenBinFilters});
    EXPECT_EQ(window_->imagePath(), "");
    EXPECT_FALSE(window_->imageAccepted());
}

TEST_F(MainWindowTest, RefusedDiffShowsItsPathAndErrorLeavesFirmwareAndDisablesSave) {
    const struct {
        std::string name;
        std::optional<std::string> bytes;  // none: the file does not exist
        std::string error;
    } cases[] = {
        {"missing.dif", std::nullopt, "Ошибка считывания данных из файла!"},
        {"class.dif", DiffBuilder("FW", std::string("XYZ\0", 4)).bytes(),
         "Неизвестный класс телефона 'XYZ'!"},
        {"empty.dif", "", "Неверный формат DIFF-файла!"},
    };
    for (const auto& c : cases) {
        const std::string good = GoodDiff();
        OpenDiff(good);
        view_.TakeLog();
        const std::string path = c.bytes ? Put(c.name, *c.bytes) : dir_.File(c.name);
        OpenDiff(path);
        EXPECT_EQ(view_.TakeLog(), (Log{"open '" + good + "' " + kOpenDiffFilters,
                                        "set 1000 " + path, ErrorLine(c.error), "enable 1007 off"}))
            << c.name;
        EXPECT_EQ(view_.texts[ControlId::DiffPath], path);
        EXPECT_EQ(view_.texts[ControlId::Firmware], "NOT-IN-LIST") << c.name;
        EXPECT_FALSE(window_->diffAccepted()) << c.name;
        EXPECT_EQ(window_->diff().failed(), !c.bytes) << c.name;
    }
}

TEST_F(MainWindowTest, GoodDiffPutsTheHeldVersionBackAndItsFirmwareNameEvenWhenNotListed) {
    view_.Type(ControlId::Version, "abc");
    const std::string path = GoodDiff("UNLISTED-16BYTES");
    OpenDiff(path);
    EXPECT_EQ(view_.TakeLog(), (Log{"open '' " + kOpenDiffFilters, "set 1000 " + path, "set 1009 1",
                                    "set 1013 UNLISTED-16BYTES", "enable 1007 on"}));
    EXPECT_TRUE(window_->diffAccepted());
    EXPECT_EQ(window_->version(), 1u);
    EXPECT_EQ(view_.lists[ControlId::Firmware], (std::vector<std::string>{"E250B", "E250A"}));
    EXPECT_EQ(window_->diff().size(), diffBytes_.size());
}

TEST_F(MainWindowTest, SaveIsEnabledExactlyWhileTheLastDiffPassed) {
    struct Step {
        std::string name;
        std::string bytes;
        bool enabled;
    };
    const std::vector<Step> steps = {
        {"empty.dif", "", false},
        {"good.dif", DiffBuilder().bytes(), true},
        {"magic.dif", DiffBuilder("FW", "SGHA", "XXXX").bytes(), false},
        {"good2.dif", DiffBuilder().Nord(1, "x").bytes(), true},
        {"short.dif", DiffBuilder().bytes().substr(0, 31), false},
    };
    for (const Step& step : steps) {
        OpenDiff(Put(step.name, step.bytes));
        EXPECT_EQ(view_.enabled[ControlId::Save], step.enabled) << step.name;
        EXPECT_EQ(window_->diffAccepted(), step.enabled) << step.name;
    }
    // An image, accepted or not, never decides Save.
    OpenImage(Put("small.bin", "abc"));
    EXPECT_FALSE(view_.enabled[ControlId::Save]);
}

TEST_F(MainWindowTest, InvalidVersionShowsMessageFocusesAndSelectsAndKeepsOldValue) {
    view_.Type(ControlId::Version, "7");
    ASSERT_TRUE(window_->TakeFields());
    view_.TakeLog();

    view_.Type(ControlId::Description, "d");
    view_.Type(ControlId::Title, "t");
    view_.Type(ControlId::Version, "-1");
    view_.appName = "Renamed";
    EXPECT_FALSE(window_->TakeFields());
    EXPECT_EQ(view_.TakeLog(), (Log{MessageLine("Введите целое положительное число.", "Renamed",
                                                MessageIcon::Warning, MessageButtons::Ok),
                                    "focus 1009", "select 1009"}));
    EXPECT_EQ(window_->version(), 7u);
    EXPECT_EQ(window_->description(), "d") << "fields before the version are taken";
    EXPECT_EQ(window_->title(), "t");
}

TEST_F(MainWindowTest, VersionTextsAsTaken) {
    struct Case {
        std::string text;
        bool ok;
        std::uint32_t version;
    };
    const std::vector<Case> cases = {
        {" 7 ", true, 7},
        {"+5", true, 5},
        {"00", true, 0},
        {"\t9\t", true, 9},
        {"99999999999999999999999999999999999999", true, 4294967295u},
        {"+0", false, 5},
        {"", false, 5},
        {"1.5", false, 5},
        {"abc", false, 5},
        {std::string(31, ' ') + "3", false, 5},
    };
    for (const Case& c : cases) {
        view_.Type(ControlId::Version, "5");
        ASSERT_TRUE(window_->TakeFields());
        view_.Type(ControlId::Version, c.text);
        EXPECT_EQ(window_->TakeFields(), c.ok) << "'" << c.text << "'";
        EXPECT_EQ(window_->version(), c.version) << "'" << c.text << "'";
    }
}

TEST_F(MainWindowTest, EveryUserChangeWithAnInvalidVersionShowsTheMessage) {
    view_.Type(ControlId::Version, "x");
    view_.Type(ControlId::Title, "a");
    window_->FieldsChanged();
    view_.Type(ControlId::Title, "ab");
    window_->FieldsChanged();
    EXPECT_EQ(view_.TakeLog(),
              (Log{kVersionMessage, "focus 1009", "select 1009", "enable 1007 off", kVersionMessage,
                   "focus 1009", "select 1009", "enable 1007 off"}));
    EXPECT_EQ(window_->title(), "ab");
}

TEST_F(MainWindowTest, ImageChecksAndTheirMessages) {
    const std::string small = Put("small.bin", test::CountingBytes(100));
    OpenImage(small);
    EXPECT_EQ(view_.TakeLog(), (Log{"open '' " + kOpenBinFilters, "set 1001 " + small,
                                    ErrorLine("Некорректный BIN-файл!"), "enable 1007 off"}));
    EXPECT_FALSE(window_->imageAccepted());
    EXPECT_EQ(window_->image().size(), 100u) << "a rejected image keeps its contents";

    const std::string missing = dir_.File("missing.bin");
    OpenImage(missing);
    EXPECT_EQ(view_.TakeLog(),
              (Log{"open '" + small + "' " + kOpenBinFilters, "set 1001 " + missing,
                   ErrorLine("Некорректный BIN-файл!"), "enable 1007 off"}));
    EXPECT_TRUE(window_->image().failed());

    const std::string big = Put("big.bin", std::string(kMinimumImageSize, '\0'));
    OpenImage(big);
    EXPECT_EQ(view_.TakeLog(), (Log{"open '" + missing + "' " + kOpenBinFilters, "set 1001 " + big,
                                    "enable 1007 off"}));
    EXPECT_TRUE(window_->imageAccepted());
}

TEST_F(MainWindowTest, DroppedFilesOpenInTheirOrderByTheirNames) {
    const std::string diff = GoodDiff("DROPPED");
    const std::string image = Put("IMAGE.Bin", test::CountingBytes(100));
    const std::string text = Put("notes.txt", "not a DIFF file");
    view_.Type(ControlId::Version, "abc");
    window_->DropFiles({});
    EXPECT_EQ(view_.TakeLog(), Log{}) << "dropping nothing changes nothing";
    window_->DropFiles({diff, image, text});
    // Each takes its command's road from the chosen path on: no chooser, the same messages.
    EXPECT_EQ(
        view_.TakeLog(),
        (Log{"set 1000 " + diff, "set 1009 1", "set 1013 DROPPED", "enable 1007 on",
             "set 1001 " + image, ErrorLine("Некорректный BIN-файл!"), "enable 1007 on",
             "set 1000 " + text, ErrorLine("Неверный формат DIFF-файла!"), "enable 1007 off"}));
    EXPECT_EQ(window_->diffPath(), text);
    EXPECT_EQ(window_->imagePath(), image);
    EXPECT_EQ(window_->image().size(), 100u);
    EXPECT_TRUE(view_.choices.empty());
}

TEST_F(MainWindowTest, OnlyANameEndingInDotBinIsAnImage) {
    const std::string bytes = DiffBuilder().bytes();
    const struct {
        std::string name;
        bool image;
    } cases[] = {
        {"a.bin", true},      {"a.BIN", true},        {"a.bIn", true}, {".bin", true},
        {"a.bin.dif", false}, {"a.dif.bin", true},    {"abin", false}, {"a.bi", false},
        {"a.binx", false},    {"bin.d/a.dif", false},
    };
    std::filesystem::create_directory(dir_.File("bin.d"));
    for (const auto& c : cases) {
        const std::string path = Put(c.name, bytes);
        window_->DropFiles({path});
        EXPECT_EQ(window_->imagePath() == path, c.image) << c.name;
        EXPECT_EQ(window_->diffPath() == path, !c.image) << c.name;
    }
}

TEST_F(MainWindowTest, SavingWithoutImageCancelledWritesNothing) {
    OpenDiff(GoodDiff());
    TypeFields();
    view_.TakeLog();
    EXPECT_EQ(SaveTo(dir_.File("out.smp"), MessageAnswer::Cancel), Log{kNoImageWarning});
    EXPECT_EQ(view_.choices.size(), 1u) << "only the open chooser ran";
    EXPECT_FALSE(test::FileExists(dir_.File("out.smp")));
}

TEST_F(MainWindowTest, SavingWithoutImageAfterOkWritesThePatchWithoutOldBytes) {
    OpenDiff(GoodDiff());
    TypeFields();
    view_.TakeLog();
    const std::string out = dir_.File("out.smp");
    EXPECT_EQ(SaveTo(out), (Log{kNoImageWarning, kTitledSave, kSavedMessage}));
    EXPECT_EQ(Saved(out, nullptr).find("from="), std::string::npos);
}

TEST_F(MainWindowTest, EmptyFirmwareAfterOkStopsWithFocusOnFirmware) {
    OpenDiff(GoodDiff());
    view_.Type(ControlId::Firmware, "");
    view_.TakeLog();
    view_.answers.push_back(MessageAnswer::Ok);
    window_->SaveSmp();
    EXPECT_EQ(view_.TakeLog(), (Log{kNoImageWarning, kNoFirmwareWarning, "focus 1013"}));

    // Blanks count as text.
    view_.Type(ControlId::Firmware, " ");
    EXPECT_EQ(SaveTo(""), (Log{kNoImageWarning, kUntitledSave}));
}

TEST_F(MainWindowTest, TooSmallImageStillWarnsAndStillGivesOldBytesInsideIt) {
    OpenDiff(GoodDiff());
    const std::string image = test::CountingBytes(100);
    OpenImage(Put("small.bin", image));
    TypeFields();
    view_.TakeLog();
    const std::string out = dir_.File("out.smp");
    EXPECT_EQ(SaveTo(out), (Log{kNoImageWarning, kTitledSave, kSavedMessage}));
    const std::string saved = Saved(out, &image);
    EXPECT_NE(saved.find("<nord offset=\"0x000010\" from=\"1011\" to=\"aabb\" />"),
              std::string::npos);
    EXPECT_NE(saved.find("<nord offset=\"0x001000\" to=\"cc\" />"), std::string::npos);
}

TEST_F(MainWindowTest, AcceptedImageReplacesAWholeFileWithoutWarningAndChangesNoState) {
    OpenDiff(GoodDiff());
    std::string image(kMinimumImageSize, '\0');
    image[0x10] = '\x01';
    image[0x1000] = '\x02';
    const std::string big = Put("image.bin", image);
    OpenImage(big);
    TypeFields();
    const std::string out = Put("out.smp", std::string(100000, 'x'));
    const std::uint8_t* diffHeld = window_->diff().data();
    view_.TakeLog();
    EXPECT_EQ(SaveTo(out, std::nullopt), (Log{kTitledSave, kSavedMessage}))
        << "no warning before and no enabling or other change after";
    const std::string saved = Saved(out, &image);
    EXPECT_NE(saved.find("from=\"0100\""), std::string::npos);
    EXPECT_NE(saved.find("from=\"02\""), std::string::npos);
    EXPECT_EQ(window_->diffPath(), dir_.File("good.dif"));
    EXPECT_EQ(window_->imagePath(), big);
    EXPECT_TRUE(window_->diffAccepted());
    EXPECT_TRUE(window_->imageAccepted());
    EXPECT_EQ(window_->diff().data(), diffHeld);
    EXPECT_EQ(window_->version(), 12u);
}

TEST_F(MainWindowTest, FailedSavesShowTheirErrorAndWriteNothing) {
    // The fake marks the name's trip into text with "|".
    const struct {
        std::string out;
        bool badBlock;
        std::string message;
    } cases[] = {
        {"/dev/full", false,
         MessageLine("Диск переполнен в процессе обращения к /dev/full|.", "Quorrel",
                     MessageIcon::Error, MessageButtons::Ok)},
        {dir_.File("no-such-dir/out.smp"), false, ErrorLine("Ошибка открытия файла!")},
        {dir_.File("out.smp"), true, ErrorLine("Неверный формат файла DIFF-файла!")},
    };
    for (const auto& c : cases) {
        if (c.badBlock) {
            diffBytes_ = DiffBuilder().Nord(1, "a").Block("XBLK", "NORD", 5, "abcde").bytes();
            OpenDiff(Put("bad-block.dif", diffBytes_));
        } else {
            OpenDiff(GoodDiff());
        }
        view_.Type(ControlId::Firmware, "FW");
        view_.TakeLog();
        EXPECT_EQ(SaveTo(c.out), (Log{kNoImageWarning, kUntitledSave, c.message})) << c.out;
        if (c.out != "/dev/full") {
            EXPECT_FALSE(test::FileExists(c.out)) << c.out;
        }
    }
}

TEST_F(MainWindowTest, SaveWithoutAcceptedDiffDoesNothing) {
    window_->SaveSmp();
    EXPECT_EQ(view_.TakeLog(), Log{});
}

TEST_F(MainWindowTest, EnterEndsOnlyWhenTheFieldsAreTaken) {
    view_.Type(ControlId::Version, "bad");
    window_->Accept();
    EXPECT_EQ(view_.TakeLog(), (Log{kVersionMessage, "focus 1009", "select 1009"}));
    EXPECT_EQ(view_.ended, 0);

    view_.Type(ControlId::Version, "3");
    window_->Accept();
    EXPECT_EQ(view_.TakeLog(), Log{"end"});
    EXPECT_EQ(window_->version(), 3u);
}

TEST_F(MainWindowTest, EscapeEndsAtOnceWithoutTakingFields) {
    view_.Type(ControlId::Version, "bad");
    view_.Type(ControlId::Title, "typed");
    window_->Cancel();
    EXPECT_EQ(view_.TakeLog(), Log{"end"});
    EXPECT_EQ(window_->title(), "");
}

TEST_F(MainWindowTest, CloseReleasesBothContentsAndEnds) {
    OpenDiff(GoodDiff());
    OpenImage(Put("small.bin", "abc"));
    ASSERT_FALSE(window_->diff().failed());
    ASSERT_FALSE(window_->image().failed());
    view_.TakeLog();
    window_->Close();
    EXPECT_EQ(view_.TakeLog(), Log{"end"});
    EXPECT_TRUE(window_->diff().failed());
    EXPECT_TRUE(window_->image().failed());
}

}  // namespace
}  // namespace quorrel
