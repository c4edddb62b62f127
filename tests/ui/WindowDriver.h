#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "MainWindow.h"
#include "TempDir.h"

namespace quorrel::test {

using Log = std::vector<std::string>;

// A log line for a message box.
std::string MessageLine(std::string_view utf8Text, std::string_view utf8Caption, MessageIcon icon,
                        MessageButtons buttons);

// The user's side of the modal dialogs: every box and chooser is logged (texts as UTF-8, a
// chooser by the name its name field starts with), boxes with OK and Cancel take the next
// answer, choosers the next name ("" cancels). Unscripted dialogs fail the test.
class DialogScript {
  public:
    MessageAnswer Message(std::string_view utf8Text, std::string_view utf8Caption, MessageIcon icon,
                          MessageButtons buttons);
    std::string Choose(bool forOpening, std::string_view initialName);
    void Unexpected(std::string_view what) { log_.push_back("unexpected " + std::string(what)); }
    Log TakeLog();

    std::deque<MessageAnswer> answers;
    std::deque<std::string> chosen;

  private:
    Log log_;
};

// One main window, built on a settings file and first shown, driven as its user drives it.
class WindowDriver {
  public:
    virtual ~WindowDriver() = default;

    virtual MainWindow& state() = 0;
    virtual WindowView& view() = 0;

    // Selects the control's whole text and types `cp1251` over it, one character a key; an
    // empty text deletes the selection.
    virtual void Type(ControlId id, std::string_view cp1251) = 0;
    virtual void Click(ControlId button) = 0;
    virtual void Drop(const std::vector<std::string>& names) = 0;
    virtual void Enter() = 0;  // in the title field
    virtual void Escape() = 0;
    virtual void CloseBox() = 0;

    virtual bool Ended() = 0;
    virtual bool Enabled(ControlId id) = 0;
    virtual std::optional<ControlId> Focus() = 0;
    virtual bool WholeTextSelected(ControlId id) = 0;
    virtual std::vector<std::string> List(ControlId combo) = 0;  // Windows-1251
    virtual int DroppedHeight(ControlId combo) = 0;              // text field and list
    virtual bool HasIcon() = 0;

    std::string Text(ControlId id) { return view().Text(id); }

    DialogScript dialogs;
};

// Builds and first shows the window of the test program that links the shared suite.
std::unique_ptr<WindowDriver> StartWindow(const std::string& settingsPath);

// The settings file every window under test starts from.
std::string WindowSettings();

// A window started on those settings, as `Driver`; every dialog it shows must be checked.
template <class Driver = WindowDriver>
class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteFile(dir_.File("Quorrel.ini"), WindowSettings());
        ui_.reset(static_cast<Driver*>(StartWindow(dir_.File("Quorrel.ini")).release()));
    }
    void TearDown() override { EXPECT_EQ(ui_->dialogs.TakeLog(), Log{}) << "dialogs unchecked"; }

    TempDir dir_;
    std::unique_ptr<Driver> ui_;
};

}  // namespace quorrel::test
