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

TEST_F(FakeWindow, ChoosersStartFromTheHeldNamesWithTheirFilters) {
    FakeWindowView& fake = *ui_;
    TempDir& dir = dir_;
    const std::string diff = dir.File("a.dif");
    WriteFile(diff, DiffBuilder().bytes());
    fake.dialogs.chosen = {diff, "", dir.File("x.bin"), "", ""};
    fake.Click(ControlId::OpenDiff);
    fake.Click(ControlId::OpenDiff);
    fake.Click(ControlId::OpenImage);
    fake.Click(ControlId::OpenImage);
    fake.Type(ControlId::Title, cp1251::FromUtf8("Звук").text);
    fake.Type(ControlId::Firmware, "FW");
    fake.dialogs.answers = {MessageAnswer::Ok};
    fake.Click(ControlId::Save);
    fake.dialogs.TakeLog();

    const auto filters = [](std::string utf8, const std::string& pattern) {
        return cp1251::FromUtf8(utf8 + " (" + pattern + ")").text + "|" + pattern + "|" +
               cp1251::FromUtf8("Все файлы (*.*)").text + "|*.*|" + pattern;
    };
    const struct {
        bool open;
        std::string initial;
        std::string filters;
    } expected[] = {{true, "", filters("DIFF файлы", "*.dif")},
                    {true, diff, filters("DIFF файлы", "*.dif")},
                    {true, "", filters("BIN файлы", "*.bin")},
                    {true, dir.File("x.bin"), filters("BIN файлы", "*.bin")},
                    {false, "|" + cp1251::FromUtf8("Звук").text, filters("SMP файлы", "*.smp")}};
    ASSERT_EQ(fake.choices.size(), std::size(expected));
    for (std::size_t i = 0; i < fake.choices.size(); ++i) {
        const FileChoice& c = fake.choices[i];
        std::string shown;
        for (const FileFilter& f : c.filters) {
            shown += f.label + "|" + f.pattern + "|";
        }
        EXPECT_EQ(c.forOpening, expected[i].open) << i;
        EXPECT_EQ(c.initialName, expected[i].initial) << i;
        EXPECT_EQ(shown + c.defaultExtension, expected[i].filters) << i;
    }
}

TEST_F(FakeWindow, SaveWithoutAcceptedDiffDoesNothingAndABareDotBinIsAnImage) {
    FakeWindowView& fake = *ui_;
    fake.state().SaveSmp();
    EXPECT_EQ(fake.dialogs.TakeLog(), Log{});
    // A dropped name is judged as given, even with nothing before its extension.
    fake.Drop({".bin"});
    EXPECT_EQ(fake.state().imagePath(), ".bin");
    EXPECT_EQ(fake.dialogs.TakeLog().size(), 1u);
}

}  // namespace
}  // namespace quorrel::test
