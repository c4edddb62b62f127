#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>

#include "ComposeSmpPatch.h"
#include "Cp1251.h"
#include "DiffBuilder.h"
#include "FileChecks.h"
#include "MakePatchId.h"
#include "TempDir.h"
#include "WindowDriver.h"

// The window's command sequences, once for every window: the fake view's, the Qt window's and
// the Windows window's test programs each link this suite with their own StartWindow.
namespace quorrel::test {
namespace {

std::string W(std::string_view utf8) {
    return cp1251::FromUtf8(utf8).text;
}

std::string ErrorLine(std::string_view utf8) {
    return MessageLine(utf8, "Ошибка", MessageIcon::Error, MessageButtons::Ok);
}

const std::string kNoImageWarning =
    MessageLine("Внимание! BIN File не открыт.\r\nБез него smp-patch будет не полным.",
                "Предупреждение", MessageIcon::Warning, MessageButtons::OkCancel);
const std::string kNoFirmwareWarning =
    MessageLine("Укажите прошивку, для которой будет использоваться патч!", "Предупреждение",
                MessageIcon::Warning, MessageButtons::Ok);
const std::string kSaved = MessageLine("SMP-патч успешно создан!", "Патч создан",
                                       MessageIcon::Information, MessageButtons::Ok);
const std::string kBadImage = ErrorLine("Некорректный BIN-файл!");

std::vector<std::string> Sorted(std::vector<std::string> entries) {
    std::sort(entries.begin(), entries.end());
    return entries;
}

class WindowCommands : public WindowTest<> {
  protected:
    MainWindow& state() { return ui_->state(); }
    Log TakeLog() { return ui_->dialogs.TakeLog(); }
    std::string VersionMessage() {
        return MessageLine("Введите целое положительное число.",
                           cp1251::ToUtf8(ui_->view().ApplicationName()), MessageIcon::Warning,
                           MessageButtons::Ok);
    }

    std::string Put(std::string_view name, std::string_view bytes) {
        const std::string path = dir_.File(name);
        WriteFile(path, bytes);
        return path;
    }
    void Open(ControlId button, const std::string& path) {
        ui_->dialogs.chosen.push_back(path);
        ui_->Click(button);
    }
    // A DIFF with one change inside a 100-byte image and one beyond it.
    std::string GoodDiff(std::string_view firmware = "NOT-IN-LIST") {
        diffBytes_ = DiffBuilder(firmware).Nord(0x10, "\xAA\xBB").Nord(0x1000, "\xCC").bytes();
        return Put("good.dif", diffBytes_);
    }
    // The version last: nothing but the save itself takes it.
    void TypeFields() {
        ui_->Type(ControlId::Title, W("Громкость"));
        ui_->Type(ControlId::Description, W("Громче \"звонок\" <b>"));
        ui_->Type(ControlId::Group, W("Звук"));
        ui_->Type(ControlId::Firmware, "E250A");
        ui_->Type(ControlId::Version, " 12 ");
    }
    // Saves to `out`, answering the no-image warning with `warning` when one is given.
    Log SaveTo(const std::string& out, std::optional<MessageAnswer> warning = MessageAnswer::Ok) {
        if (warning) {
            ui_->dialogs.answers.push_back(*warning);
        }
        ui_->dialogs.chosen.push_back(out);
        ui_->Click(ControlId::Save);
        return TakeLog();
    }
    // The saved patch, after checking it is what the engine composes from the typed fields
    // under the id it drew.
    std::string Saved(const std::string& out, const std::string* image) const {
        const std::string saved = ReadFile(out);
        const std::size_t at = saved.find(" id=\"");
        const std::string id = at == std::string::npos ? "" : saved.substr(at + 5, 8);
        EXPECT_TRUE(IsPatchId(id)) << id;
        PatchInfo info;
        info.formatVersion = "0.4";
        info.title = W("Громкость");
        info.group = W("Звук");
        info.version = 12;
        info.description = W("Громче \"звонок\" <b>");
        info.author = {"Nick", W("Иван Петров"), "ivan@example.org", "http://example.org/",
                       "12345"};
        info.firmware = "E250A";
        const LoadedFile diff = LoadedFile::FromBytes(diffBytes_);
        const LoadedFile img = LoadedFile::FromBytes(image == nullptr ? "" : *image);
        EXPECT_EQ(saved, ComposeSmpPatchWithId(info, id, diff, image ? &img : nullptr).text);
        return saved;
    }

    std::string diffBytes_;
};

TEST_F(WindowCommands, FirstShowingFillsListsUpToTheGapAndFocusesDiffPath) {
    EXPECT_EQ(ui_->Text(ControlId::Version), "1");
    EXPECT_EQ(ui_->Text(ControlId::Group) + ui_->Text(ControlId::Firmware), "");
    EXPECT_FALSE(ui_->Enabled(ControlId::Save));
    EXPECT_EQ(ui_->Focus(), ControlId::DiffPath);
    EXPECT_TRUE(ui_->HasIcon());
    EXPECT_EQ(Sorted(ui_->List(ControlId::Group)), Sorted({W("Яблоко"), W("арбуз"), W("Арбуз")}));
    EXPECT_EQ(Sorted(ui_->List(ControlId::Firmware)),
              (std::vector<std::string>{"E250A", "E250B", "E250C", "E250D"}));
    for (const ControlId combo : {ControlId::Group, ControlId::Firmware}) {
        EXPECT_EQ(ui_->DroppedHeight(combo), 4 * ui_->view().Height(combo));
    }
    EXPECT_FALSE(state().diffAccepted() || state().imageAccepted());
    EXPECT_TRUE(state().diff().failed() && state().image().failed());
}

TEST_F(WindowCommands, RefusedOrCancelledDiffLeavesFirmwareAndDisablesSaveOnlyWhenRead) {
    const struct {
        std::string name;
        std::optional<std::string> bytes;  // none: the file does not exist
        std::string error;                 // none: the chooser is cancelled
    } cases[] = {{"нет такого.dif", std::nullopt, "Ошибка считывания данных из файла!"},
                 {"class.dif", DiffBuilder("FW", std::string("XYZ\0", 4)).bytes(),
                  "Неизвестный класс телефона 'XYZ'!"},
                 {"empty.dif", "", "Неверный формат DIFF-файла!"},
                 {"", "", ""}};  // last: a good DIFF after refused ones enables Save again
    for (const auto& c : cases) {
        const std::string good = GoodDiff();
        Open(ControlId::OpenDiff, good);
        const std::uint8_t* held = state().diff().data();
        TakeLog();
        const std::string path = c.name.empty() ? ""
                                 : c.bytes      ? Put(c.name, *c.bytes)
                                                : dir_.File(c.name);
        Open(ControlId::OpenDiff, path);
        EXPECT_EQ(TakeLog(), c.name.empty() ? Log{"open 'good.dif'"}
                                            : (Log{"open 'good.dif'", ErrorLine(c.error)}));
        EXPECT_EQ(ui_->Text(ControlId::DiffPath), c.name.empty() ? good : path);
        EXPECT_EQ(state().diffPath(), c.name.empty() ? good : path);
        EXPECT_EQ(ui_->Text(ControlId::Firmware), "NOT-IN-LIST") << c.name;
        EXPECT_EQ(ui_->Enabled(ControlId::Save), c.name.empty()) << c.name;
        EXPECT_EQ(state().diffAccepted(), c.name.empty()) << c.name;
        EXPECT_EQ(state().diff().failed(), !c.bytes) << c.name;
        EXPECT_EQ(state().diff().data() == held, c.name.empty()) << c.name;
    }
    Open(ControlId::OpenImage, "");
    EXPECT_EQ(TakeLog(), Log{"open ''"});
    EXPECT_EQ(state().imagePath(), "");
    EXPECT_FALSE(state().imageAccepted());
}

TEST_F(WindowCommands, OpeningPutsTheHeldFieldsBackAndAGoodDiffItsFirmwareNameEvenUnlisted) {
    ui_->Type(ControlId::Version, "abc");
    ui_->view().SetText(ControlId::Title, "t");
    ui_->view().SetText(ControlId::Description, "d");
    const std::string path = GoodDiff("UNLISTED-16BYTES");
    Open(ControlId::OpenDiff, path);
    EXPECT_EQ(TakeLog(), Log{"open ''"});
    for (const auto& [id, text] : {std::pair{ControlId::DiffPath, path},
                                   {ControlId::Version, "1"},
                                   {ControlId::Title, ""},
                                   {ControlId::Description, ""},
                                   {ControlId::Firmware, "UNLISTED-16BYTES"}}) {
        EXPECT_EQ(ui_->Text(id), text) << static_cast<int>(id);
    }
    EXPECT_EQ(ui_->List(ControlId::Firmware).size(), 4u);
    EXPECT_TRUE(ui_->Enabled(ControlId::Save));
    EXPECT_TRUE(state().diffAccepted());
    EXPECT_EQ(state().version(), 1u);
    EXPECT_EQ(state().diff().size(), diffBytes_.size());
}

// Which texts are versions the parser's own tests decide; here, what the window does with each.
TEST_F(WindowCommands, VersionTextsAsTakenAndTheMessageForTheOthers) {
    const struct {
        std::string text;
        bool ok;
        std::uint32_t version;
    } cases[] = {{" 7 ", true, 7}, {"00", true, 0}, {"-1", false, 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE("'" + c.text + "'");
        ui_->Type(ControlId::Version, "5");
        ASSERT_TRUE(state().TakeFields());
        ui_->Type(ControlId::Version, c.text);
        EXPECT_EQ(state().TakeFields(), c.ok);
        EXPECT_EQ(state().version(), c.version);
        EXPECT_EQ(TakeLog(), c.ok ? Log{} : Log{VersionMessage()});
        if (!c.ok) {
            EXPECT_EQ(ui_->Focus(), ControlId::Version);
            EXPECT_TRUE(ui_->WholeTextSelected(ControlId::Version));
        }
    }
}

TEST_F(WindowCommands, EveryUserChangeOfTitleOrDescriptionTakesTheFieldsBeforeTheVersion) {
    ui_->Type(ControlId::Version, "x");
    ui_->Type(ControlId::Title, "ab");
    ui_->Type(ControlId::Description, "c");
    EXPECT_EQ(TakeLog(), Log(3, VersionMessage()));
    EXPECT_EQ(state().title(), "ab");
    EXPECT_EQ(state().description(), "c");
    EXPECT_FALSE(ui_->Enabled(ControlId::Save));
    // The program's own writes are no user change.
    ui_->view().SetText(ControlId::Title, "cd");
    ui_->view().SetText(ControlId::Description, "ef");
    EXPECT_EQ(TakeLog(), Log{});
}

TEST_F(WindowCommands, ImageChecksAndTheirMessages) {
    const std::string small = Put("small.bin", CountingBytes(100));
    const std::string missing = dir_.File("missing.bin");
    const struct {
        std::string path;
        Log log;
        bool accepted;
        std::uint32_t size;  // -1 when the read failed
    } steps[] = {{small, {"open ''", kBadImage}, false, 100},
                 {missing, {"open 'small.bin'", kBadImage}, false, std::uint32_t(-1)},
                 {Put("big.bin", std::string(kMinimumImageSize, '\0')),
                  {"open 'missing.bin'"},
                  true,
                  kMinimumImageSize}};
    for (const auto& step : steps) {
        Open(ControlId::OpenImage, step.path);
        EXPECT_EQ(TakeLog(), step.log);
        EXPECT_EQ(ui_->Text(ControlId::ImagePath), step.path);
        EXPECT_EQ(state().imageAccepted(), step.accepted) << step.path;
        EXPECT_EQ(state().image().size(), step.size) << "a rejected image keeps its contents";
        EXPECT_FALSE(ui_->Enabled(ControlId::Save));
    }
}

TEST_F(WindowCommands, DroppedFilesOpenInTheirOrderByTheirNames) {
    const std::string diff = GoodDiff("DROPPED");
    const std::string image = Put("IMAGE.Bin", CountingBytes(100));
    const std::string text = Put("Прошивка 漢.txt", "not a DIFF file");
    ui_->Type(ControlId::Version, "abc");
    ui_->Drop({});
    EXPECT_EQ(ui_->Text(ControlId::Version), "abc") << "dropping nothing changes nothing";
    ui_->Drop({diff});
    EXPECT_EQ(ui_->Text(ControlId::Firmware), "DROPPED");
    EXPECT_EQ(ui_->Text(ControlId::Version), "1");
    EXPECT_TRUE(ui_->Enabled(ControlId::Save));
    ui_->Drop({image, text});
    // Each takes its command's road from the chosen path on: no chooser, the same messages.
    EXPECT_EQ(TakeLog(), (Log{kBadImage, ErrorLine("Неверный формат DIFF-файла!")}));
    EXPECT_EQ(ui_->Text(ControlId::Title), "");
    EXPECT_EQ(ui_->Text(ControlId::DiffPath), text);
    EXPECT_EQ(ui_->Text(ControlId::ImagePath), image);
    EXPECT_FALSE(ui_->Enabled(ControlId::Save));
    EXPECT_EQ(state().image().size(), 100u);

    const std::string bytes = DiffBuilder().bytes();
    const struct {
        std::string name;
        bool image;
    } names[] = {{"a.bin", true},      {"a.BIN", true},       {"a.bIn", true}, {".bin", true},
                 {"a.bin.dif", false}, {"a.dif.bin", true},   {"abin", false}, {"a.bi", false},
                 {"a.binx", false},    {"bin.d/a.dif", false}};
    std::filesystem::create_directory(dir_.File("bin.d"));
    for (const auto& c : names) {
        const std::string path = Put(c.name, bytes);
        ui_->Drop({path});
        EXPECT_EQ(state().imagePath() == path, c.image) << c.name;
        EXPECT_EQ(state().diffPath() == path, !c.image) << c.name;
    }
    TakeLog();
}

TEST_F(WindowCommands, SavingWithoutAnImageWarnsThenNeedsAFirmwareThenAName) {
    Open(ControlId::OpenDiff, GoodDiff());
    TypeFields();
    const std::string out = dir_.File("out.smp");
    ui_->Type(ControlId::Firmware, "");
    TakeLog();
    EXPECT_EQ(SaveTo(out, MessageAnswer::Cancel), Log{kNoImageWarning});
    EXPECT_EQ(ui_->dialogs.chosen.size(), 1u) << "the save chooser never ran";
    ui_->dialogs.chosen.clear();
    EXPECT_FALSE(FileExists(out));

    ui_->dialogs.answers.push_back(MessageAnswer::Ok);
    ui_->Click(ControlId::Save);
    EXPECT_EQ(TakeLog(), (Log{kNoImageWarning, kNoFirmwareWarning}));
    EXPECT_EQ(ui_->Focus(), ControlId::Firmware);

    // Blanks count as text.
    ui_->Type(ControlId::Firmware, " ");
    EXPECT_EQ(SaveTo(""), (Log{kNoImageWarning, "save 'Громкость'"}));
    EXPECT_FALSE(FileExists(out));

    ui_->Type(ControlId::Firmware, "E250A");
    EXPECT_EQ(SaveTo(out), (Log{kNoImageWarning, "save 'Громкость'", kSaved}));
    EXPECT_EQ(Saved(out, nullptr).find("from="), std::string::npos);
}

TEST_F(WindowCommands, ASaveTakesOldBytesFromAnyReadImageReplacesTheFileAndChangesNoState) {
    std::string big(kMinimumImageSize, '\0');
    big[0x10] = '\x01';
    big[0x1000] = '\x02';
    const struct {
        std::string name;
        std::string image;
        bool warned;
        std::vector<std::string> changes;
    } cases[] = {// A rejected image still draws the warning, and still gives the bytes inside it.
                 {"small.bin",
                  CountingBytes(100),
                  true,
                  {"<nord offset=\"0x000010\" from=\"1011\" to=\"aabb\" />",
                   "<nord offset=\"0x001000\" to=\"cc\" />"}},
                 {"big.bin", big, false, {"from=\"0100\"", "from=\"02\""}}};
    for (const auto& c : cases) {
        Open(ControlId::OpenDiff, GoodDiff());
        Open(ControlId::OpenImage, Put(c.name, c.image));
        TypeFields();
        const std::string out = Put("out.smp", std::string(100000, 'x'));
        const std::uint8_t* held = state().diff().data();
        TakeLog();
        Log expected{"save 'Громкость'", kSaved};
        if (c.warned) {
            expected.insert(expected.begin(), kNoImageWarning);
        }
        EXPECT_EQ(SaveTo(out, c.warned ? std::optional(MessageAnswer::Ok) : std::nullopt),
                  expected);
        const std::string saved = Saved(out, &c.image);
        for (const std::string& change : c.changes) {
            EXPECT_NE(saved.find(change), std::string::npos) << change;
        }
        EXPECT_EQ(state().diffPath(), dir_.File("good.dif"));
        EXPECT_EQ(state().imagePath(), dir_.File(c.name));
        EXPECT_EQ(state().imageAccepted(), !c.warned);
        EXPECT_TRUE(state().diffAccepted() && ui_->Enabled(ControlId::Save)) << c.name;
        EXPECT_EQ(state().diff().data(), held);
        EXPECT_EQ(state().version(), 12u);
    }
}

TEST_F(WindowCommands, FailedSavesShowTheirErrorAndWriteNothing) {
#ifndef _WIN32
    // A chosen name that leads to a full disk.
    const std::string full = dir_.File("full.smp");
    std::filesystem::create_symlink("/dev/full", full);
#endif
    const struct {
        std::string out;
        bool badBlock;
        std::string message;
    } cases[] = {
#ifndef _WIN32
        {full, false,
         MessageLine("Диск переполнен в процессе обращения к " +
                         cp1251::ToUtf8(ui_->view().TextFromName(full)) + ".",
                     cp1251::ToUtf8(ui_->view().ApplicationName()), MessageIcon::Error,
                     MessageButtons::Ok)},
#endif
        {dir_.File("no-such-dir/out.smp"), false, ErrorLine("Ошибка открытия файла!")},
        {dir_.File("out.smp"), true, ErrorLine("Неверный формат файла DIFF-файла!")}};
    for (const auto& c : cases) {
        if (c.badBlock) {
            diffBytes_ = DiffBuilder().Nord(1, "a").Block("XBLK", "NORD", 5, "abcde").bytes();
            Open(ControlId::OpenDiff, Put("bad-block.dif", diffBytes_));
        } else {
            Open(ControlId::OpenDiff, GoodDiff());
        }
        ui_->Type(ControlId::Firmware, "FW");
        TakeLog();
        EXPECT_EQ(SaveTo(c.out), (Log{kNoImageWarning, "save ''", c.message})) << c.out;
        EXPECT_TRUE(c.out == dir_.File("full.smp") || !FileExists(c.out)) << c.out;
    }
}

TEST_F(WindowCommands, EnterEndsOnlyWhenTheFieldsAreTaken) {
    ui_->Type(ControlId::Version, "bad");
    ui_->Enter();
    EXPECT_EQ(TakeLog(), Log{VersionMessage()});
    EXPECT_FALSE(ui_->Ended());
    ui_->Type(ControlId::Version, "3");
    ui_->Enter();
    EXPECT_TRUE(ui_->Ended());
    EXPECT_EQ(state().version(), 3u);
}

TEST_F(WindowCommands, EscapeEndsAtOnceWithoutTakingFields) {
    ui_->Type(ControlId::Version, "5");
    ui_->view().SetText(ControlId::Title, "shown");
    ui_->Escape();
    EXPECT_TRUE(ui_->Ended());
    EXPECT_EQ(state().version(), 1u);
    EXPECT_EQ(state().title(), "");
}

TEST_F(WindowCommands, CloseBoxReleasesBothContentsAndEnds) {
    Open(ControlId::OpenDiff, GoodDiff());
    Open(ControlId::OpenImage, Put("small.bin", "abc"));
    ASSERT_FALSE(state().diff().failed() || state().image().failed());
    TakeLog();
    ui_->CloseBox();
    EXPECT_TRUE(ui_->Ended());
    EXPECT_TRUE(state().diff().failed() && state().image().failed());
}

}  // namespace
}  // namespace quorrel::test
