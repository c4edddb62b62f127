#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "WindowView.h"

namespace quorrel::test {

// A window without a toolkit: controls are strings, every call that changes the window or asks
// the user is logged in order (texts as UTF-8), and the user's answers come from scripts.
class FakeWindowView : public WindowView {
  public:
    struct Message {
        std::string text;  // Windows-1251, as the command passed it
        std::string caption;
        MessageIcon icon;
        MessageButtons buttons;
    };

    std::string Text(ControlId id) const override;
    void SetText(ControlId id, std::string_view text) override;
    void Enable(ControlId id, bool enabled) override;
    void Focus(ControlId id) override;
    void SelectAll(ControlId id) override;
    int Height(ControlId id) const override;
    void SetDroppedHeight(ControlId combo, int height) override;
    void ClearList(ControlId combo) override;
    void AddListEntry(ControlId combo, std::string_view text) override;
    MessageAnswer ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                              MessageButtons buttons) override;
    std::string ChooseFile(const FileChoice& choice) override;
    std::string ApplicationName() const override { return appName; }
    std::string NameFromText(std::string_view text) const override;
    std::string TextFromName(std::string_view name) const override;
    void AddFrameItems() override;
    void EndWindow() override;

    // The user's doing: typing into a control changes its text without a log line.
    void Type(ControlId id, std::string_view cp1251) { texts[id] = std::string(cp1251); }
    // Log lines since the last call.
    std::vector<std::string> TakeLog();

    std::map<ControlId, std::string> texts;
    std::map<ControlId, bool> enabled;
    std::map<ControlId, std::vector<std::string>> lists;
    std::map<ControlId, int> droppedHeights;
    std::optional<ControlId> focus;
    std::optional<ControlId> selected;
    std::vector<Message> messages;
    std::vector<FileChoice> choices;
    int ended = 0;

    std::deque<MessageAnswer> answers;  // for message boxes with OK and Cancel
    std::deque<std::string> chosen;     // for file choosers; "" cancels
    std::string appName = "Quorrel";
    int comboHeight = 21;

  private:
    std::vector<std::string> log_;
};

// A log line for a message box, as the fake writes it.
std::string MessageLine(std::string_view utf8Text, std::string_view utf8Caption, MessageIcon icon,
                        MessageButtons buttons);

// The next scripted answer to a message box; a box with OK alone needs none. `what` names the box
// in the failure an unscripted one gives.
MessageAnswer NextAnswer(std::deque<MessageAnswer>& answers, MessageButtons buttons,
                         const std::string& what);
// The next scripted choice of a file chooser, "" (cancel) with a failure when none is left.
std::string NextChoice(std::deque<std::string>& chosen, const std::string& what);

}  // namespace quorrel::test
