#include <gtest/gtest.h>

#include "Cp1251.h"
#include "DiffBuilder.h"
#include "FakeWindowView.h"
#include "TempDir.h"

namespace quorrel::test {

std::unique_ptr<WindowDriver> StartWindow(const std::string& settingsPath) {
    auto fake = std::make_unique<FakeWindowView>(settingsPath);
    fake->state().FirstShowing();
    return fake;
}

namespace {

TEST(FakeWindowStart, BuildingReadsTheAuthorDetailsOnceAndTouchesNoControl) {
    TempDir dir;
    const std::string ini = dir.File("Quorrel.ini");
    FakeWindowView fake(ini);
    EXPECT_EQ(fake.state().authorSettings().formatVersion, "0.3");
    EXPECT_EQ(fake.state().authorSettings().author.nickname, "Quorrel");
    EXPECT_NE(ReadFile(ini).find("NickName=Quorrel"), std::string::npos)
        << "the defaults are written back at start";
    EXPECT_TRUE(fake.texts.empty());
    EXPECT_TRUE(fake.enabled.empty());
    EXPECT_TRUE(fake.lists.empty());
    EXPECT_EQ(fake.focus, std::nullopt);
    EXPECT_EQ(fake.frameItems, 0);

    // Later edits of the file do not reach the running window; the lists hold what it lists.
    WriteFile(ini, WindowSettings());
    fake.lists[ControlId::Firmware] = {"stale"};
    fake.state().FirstShowing();
    EXPECT_EQ(fake.state().authorSettings().author.nickname, "Quorrel");
    EXPECT_EQ(fake.lists[ControlId::Firmware],
              (std::vector<std::string>{"E250D", "E250C", "E250B", "E250A"}));
}

using FakeWindow = WindowTest<FakeWindowView>;

// Where the choosers start, and the names they are shown as, the shared suite checks.
TEST_F(FakeWindow, ChoosersOfferTheirOwnFilesFirstThenAllFiles) {
    FakeWindowView& fake = *ui_;
    const std::string diff = dir_.File("a.dif");
    WriteFile(diff, DiffBuilder().bytes());
    fake.dialogs.chosen = {diff, "", ""};
    fake.dialogs.answers = {MessageAnswer::Ok};
    fake.Click(ControlId::OpenDiff);
    fake.Click(ControlId::OpenImage);
    fake.Type(ControlId::Firmware, "FW");
    fake.Click(ControlId::Save);
    fake.dialogs.TakeLog();
    std::vector<std::string> shown;
    for (const FileChoice& c : fake.choices) {
        shown.push_back(c.defaultExtension);
        for (const FileFilter& f : c.filters) {
            shown.back() += "|" + cp1251::ToUtf8(f.label) + "|" + f.pattern;
        }
    }
    EXPECT_EQ(shown,
              (std::vector<std::string>{"*.dif|DIFF файлы (*.dif)|*.dif|Все файлы (*.*)|*.*",
                                        "*.bin|BIN файлы (*.bin)|*.bin|Все файлы (*.*)|*.*",
                                        "*.smp|SMP файлы (*.smp)|*.smp|Все файлы (*.*)|*.*"}));
}

TEST_F(FakeWindow, SaveWithoutAcceptedDiffDoesNothing) {
    ui_->state().SaveSmp();
    EXPECT_EQ(ui_->dialogs.TakeLog(), Log{});
}

}  // namespace
}  // namespace quorrel::test
