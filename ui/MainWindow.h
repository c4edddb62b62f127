#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "LoadedFile.h"
#include "SettingsFile.h"
#include "WindowView.h"

namespace quorrel {

// The main window's state and commands, kept apart from any toolkit: the window calls the
// commands on its events, and the commands reach the controls only through the view.
class MainWindow {
  public:
    // Reads the patch format version and the author's details from `settings` at once.
    MainWindow(WindowView& view, SettingsFile settings);
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    void FirstShowing();
    void PutFields();
    bool TakeFields();
    void Refresh();
    void FieldsChanged();
    void OpenDiff();
    void OpenImage();
    // Files dropped on the window, opened in the order given as if chosen: a name ending in
    // ".bin" (any letter case) as a firmware image, any other as a DIFF file.
    void DropFiles(const std::vector<std::string>& names);
    void SaveSmp();
    // The close box: releases both contents, then ends the window.
    void Close();
    // The Enter key away from the push buttons: ends the window only when the fields are taken.
    void Accept();
    // The Escape key: ends the window at once.
    void Cancel();

    const std::string& diffPath() const { return diffPath_; }
    const std::string& imagePath() const { return imagePath_; }
    const std::string& title() const { return title_; }
    const std::string& description() const { return description_; }
    std::uint32_t version() const { return version_; }
    bool diffAccepted() const { return diffAccepted_; }
    bool imageAccepted() const { return imageAccepted_; }
    const LoadedFile& diff() const { return diff_; }
    const LoadedFile& image() const { return image_; }
    const AuthorSettings& authorSettings() const { return author_; }

  private:
    std::string ChooseInput(const std::string& initialName, std::string_view description,
                            std::string_view pattern);
    void LoadDiff(std::string path);
    void LoadImage(std::string path);
    void PutText(ControlId id, const std::string& field);
    void FillList(ControlId combo, std::string_view section);
    void ShowError(std::string_view text);
    void WritePatch(const std::string& path, const std::string& text);

    WindowView& view_;
    SettingsFile settings_;
    AuthorSettings author_;

    std::string diffPath_;
    std::string imagePath_;
    std::string title_;
    std::string description_;
    std::uint32_t version_ = 1;

    LoadedFile diff_;
    bool diffAccepted_ = false;
    LoadedFile image_;
    bool imageAccepted_ = false;
};

}  // namespace quorrel
