#pragma once

#include <windows.h>

#include <shellapi.h>

#include "MainWindow.h"
#include "SettingsFile.h"
#include "Win32Dialogs.h"
#include "WindowView.h"

namespace quorrel::win32 {

// The main window on the Windows dialog manager: the dialog template of the resources, its
// notifications forwarded to the MainWindow's commands, and its controls lent to them through
// WindowView.
class Win32MainWindow final : public WindowView {
  public:
    Win32MainWindow(SettingsFile settings, Win32Dialogs& dialogs);
    ~Win32MainWindow() override;
    Win32MainWindow(const Win32MainWindow&) = delete;
    Win32MainWindow& operator=(const Win32MainWindow&) = delete;

    // The window as the program runs it: modal, without owner; returns once it has ended.
    void RunModal();
    // The same window, modeless, for tests that drive it by messages; EndWindow destroys it.
    HWND CreateModeless();

    HWND window() const { return window_; }
    bool ended() const { return ended_; }
    MainWindow& state() { return state_; }
    void ShowAbout();

    // WindowView
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
    std::string ApplicationName() const override;
    std::string NameFromText(std::string_view text) const override;
    std::string TextFromName(std::string_view name) const override;
    void AddFrameItems() override;
    void EndWindow() override;

  private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Initialize(HWND window);
    bool Command(int id, int code);
    void DropFiles(HDROP drop);
    void PaintMinimized();
    HWND Control(ControlId id) const;
    // The edit control that holds a control's text: itself, or a combo box's edit field.
    HWND EditOf(ControlId id) const;

    Win32Dialogs& dialogs_;
    HWND window_ = nullptr;
    HICON icon_ = nullptr;
    HICON smallIcon_ = nullptr;
    bool modal_ = false;
    bool ended_ = false;
    int programChanges_ = 0;  // texts being set by the program, not typed
    MainWindow state_;
};

}  // namespace quorrel::win32
