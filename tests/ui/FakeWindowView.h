#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

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
                              MessageButtons buttons) override;
    std::string ChooseFile(const FileChoice& choice) override;
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
    void Type(ControlId id, std::string_view cp1251) override;
    void Click(ControlId button) override;
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
