#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Cp1251.h"
#include "WindowDriver.h"

namespace quorrel::test {

// A window without a toolkit, and its driver: controls are strings that start enabled, typing a
// character into the title or the description reports a change as a toolkit would, and the
// user's answers come from the dialog script.
class FakeWindowView : public WindowView, public WindowDriver {
  public:
    explicit FakeWindowView(const std::string& settingsPath)
        : window_(*this, SettingsFile(settingsPath)) {}

    // WindowView
    std::string Text(ControlId id) const override { return texts.contains(id) ? texts.at(id) : ""; }
    void SetText(ControlId id, std::string_view text) override { texts[id] = text; }
    void Enable(ControlId id, bool on) override { enabled[id] = on; }
    void Focus(ControlId id) override { focus = id; }
    void SelectAll(ControlId id) override { selected = id; }
    int Height(ControlId) const override { return 21; }
    void SetDroppedHeight(ControlId combo, int height) override { dropped[combo] = height; }
    void ClearList(ControlId combo) override { lists[combo].clear(); }
    void AddListEntry(ControlId combo, std::string_view text) override {
        lists[combo].emplace_back(text);
    }
    MessageAnswer ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                              MessageButtons buttons) override {
        return dialogs.Message(cp1251::ToUtf8(text), cp1251::ToUtf8(caption), icon, buttons);
    }
    std::string ChooseFile(const FileChoice& choice) override {
        choices.push_back(choice);
        // Logged as the other windows log it: the name as text.
        const std::string& name = choice.initialName;
        return dialogs.Choose(choice.forOpening,
                              name.starts_with('|') ? cp1251::ToUtf8(name.substr(1)) : name);
    }
    std::string ApplicationName() const override { return "test_MainWindow"; }
    // The fake's file system takes names as Windows-1251 bytes; "|" marks the conversions.
    std::string NameFromText(std::string_view text) const override {
        return "|" + std::string(text);
    }
    std::string TextFromName(std::string_view name) const override {
        return std::string(name) + "|";
    }
    void AddFrameItems() override { ++frameItems; }
    void EndWindow() override { ++ended; }

    // WindowDriver
    MainWindow& state() override { return window_; }
    WindowView& view() override { return *this; }
    void Type(ControlId id, std::string_view text) override {
        // Emptying is one change; otherwise each character typed over the selection is one.
        for (std::size_t n = text.empty() ? 0 : 1; n <= text.size(); ++n) {
            texts[id] = text.substr(0, n);
            if (id == ControlId::Title || id == ControlId::Description) {
                window_.FieldsChanged();
            }
        }
    }
    void Click(ControlId button) override {
        if (!Enabled(button)) {
            return;
        }
        if (button == ControlId::OpenDiff) {
            window_.OpenDiff();
        } else if (button == ControlId::OpenImage) {
            window_.OpenImage();
        } else if (button == ControlId::Save) {
            window_.SaveSmp();
        }
    }
    void Drop(const std::vector<std::string>& names) override { window_.DropFiles(names); }
    void Enter() override { window_.Accept(); }
    void Escape() override { window_.Cancel(); }
    void CloseBox() override { window_.Close(); }
    bool Ended() override { return ended > 0; }
    bool Enabled(ControlId id) override { return !enabled.contains(id) || enabled[id]; }
    std::optional<ControlId> Focus() override { return focus; }
    bool WholeTextSelected(ControlId id) override { return selected == id; }
    std::vector<std::string> List(ControlId combo) override { return lists[combo]; }
    int DroppedHeight(ControlId combo) override { return dropped[combo]; }
    bool HasIcon() override { return frameItems == 1; }

    std::map<ControlId, std::string> texts;
    std::map<ControlId, bool> enabled;
    std::map<ControlId, std::vector<std::string>> lists;
    std::map<ControlId, int> dropped;
    std::optional<ControlId> focus;
    std::optional<ControlId> selected;
    std::vector<FileChoice> choices;
    int frameItems = 0;
    int ended = 0;

  private:
    MainWindow window_;
};

}  // namespace quorrel::test
