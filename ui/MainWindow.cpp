#include "MainWindow.h"

#include <utility>

#include "ComposeSmpPatch.h"
#include "Cp1251.h"
#include "FileChecks.h"
#include "FileErrorText.h"
#include "FileSave.h"
#include "FileSystemName.h"
#include "Messages.h"
#include "ParseVersion.h"
#include "ReadWholeFile.h"
#include "ResourceStrings.h"

namespace quorrel {

namespace {

FileChoice MakeChoice(bool forOpening, std::string initialName, std::string_view description,
                      std::string_view pattern) {
    FileChoice choice;
    choice.forOpening = forOpening;
    choice.initialName = std::move(initialName);
    std::string label(description);
    label += " (";
    label += pattern;
    label += ')';
    choice.filters.push_back({std::move(label), std::string(pattern)});
    choice.filters.push_back({std::string(layout::kAllFiles), std::string(layout::kAllPattern)});
    choice.defaultExtension = std::string(pattern);
    return choice;
}

bool IsImageName(std::string_view name) {
    constexpr std::string_view kExtension = ".bin";
    return name.size() >= kExtension.size() &&
           cp1251::EqualNoCase(name.substr(name.size() - kExtension.size()), kExtension);
}

}  // namespace

MainWindow::MainWindow(WindowView& view, SettingsFile settings)
    : view_(view), settings_(std::move(settings)), author_(settings_.LoadAuthorSettings()) {}

void MainWindow::FirstShowing() {
    PutFields();
    view_.AddFrameItems();
    diffAccepted_ = false;
    imageAccepted_ = false;
    diff_.Release();
    image_.Release();
    Refresh();
    FillList(ControlId::Group, "Group");
    FillList(ControlId::Firmware, "Firmware");
    view_.Focus(ControlId::DiffPath);
}

void MainWindow::FillList(ControlId combo, std::string_view section) {
    view_.SetDroppedHeight(combo, 4 * view_.Height(combo));
    view_.ClearList(combo);
    for (const std::string& entry : settings_.ReadSettingList(section)) {
        view_.AddListEntry(combo, entry);
    }
}

void MainWindow::PutText(ControlId id, const std::string& field) {
    if (view_.Text(id) != field) {
        view_.SetText(id, field);
    }
}

void MainWindow::PutFields() {
    PutText(ControlId::Description, description_);
    PutText(ControlId::DiffPath, diffPath_);
    PutText(ControlId::ImagePath, imagePath_);
    PutText(ControlId::Title, title_);
    PutText(ControlId::Version, std::to_string(version_));
}

bool MainWindow::TakeFields() {
    description_ = view_.Text(ControlId::Description);
    diffPath_ = view_.Text(ControlId::DiffPath);
    imagePath_ = view_.Text(ControlId::ImagePath);
    title_ = view_.Text(ControlId::Title);
    const auto version = ParseVersion(view_.Text(ControlId::Version));
    if (!version) {
        view_.ShowMessage(msg::kBadVersion, view_.ApplicationName(), MessageIcon::Warning,
                          MessageButtons::Ok);
        view_.Focus(ControlId::Version);
        view_.SelectAll(ControlId::Version);
        return false;
    }
    version_ = *version;
    return true;
}

void MainWindow::Refresh() {
    TakeFields();
    view_.Enable(ControlId::Save, diffAccepted_);
}

void MainWindow::FieldsChanged() {
    Refresh();
}

std::string MainWindow::ChooseInput(const std::string& initialName, std::string_view description,
                                    std::string_view pattern) {
    return view_.ChooseFile(MakeChoice(true, initialName, description, pattern));
}

void MainWindow::OpenDiff() {
    std::string path = ChooseInput(diffPath_, layout::kDiffFiles, layout::kDiffPattern);
    if (!path.empty()) {
        LoadDiff(std::move(path));
    }
}

void MainWindow::LoadDiff(std::string path) {
    diffPath_ = std::move(path);
    PutFields();
    diffAccepted_ = false;
    diff_ = ReadWholeFile(PathFromName(diffPath_));
    const DiffCheck check = CheckDiffFile(diff_);
    if (check.accepted) {
        diffAccepted_ = true;
        view_.SetText(ControlId::Firmware, check.firmwareName);
    }
    if (!check.message.empty()) {
        ShowError(check.message);
    }
    Refresh();
}

void MainWindow::OpenImage() {
    std::string path = ChooseInput(imagePath_, layout::kBinFiles, layout::kBinPattern);
    if (!path.empty()) {
        LoadImage(std::move(path));
    }
}

void MainWindow::LoadImage(std::string path) {
    imagePath_ = std::move(path);
    PutFields();
    imageAccepted_ = false;
    image_ = ReadWholeFile(PathFromName(imagePath_));
    const ImageCheck check = CheckFirmwareImage(image_);
    if (check.accepted) {
        imageAccepted_ = true;
    } else {
        ShowError(msg::kBadImage);
    }
    Refresh();
}

void MainWindow::DropFiles(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        if (IsImageName(name)) {
            LoadImage(name);
        } else if (!name.empty()) {
            LoadDiff(name);
        }
    }
}

void MainWindow::SaveSmp() {
    // The button is disabled then; composing needs a checked DIFF whatever the front end does.
    if (!diffAccepted_) {
        return;
    }
    TakeFields();
    if (!imageAccepted_) {
        std::string warning(msg::kNoImageLine1);
        warning += "\r\n";
        warning += msg::kNoImageLine2;
        if (view_.ShowMessage(warning, msg::kCaptionWarning, MessageIcon::Warning,
                              MessageButtons::OkCancel) != MessageAnswer::Ok) {
            return;
        }
    }
    if (view_.Text(ControlId::Firmware).empty()) {
        view_.ShowMessage(msg::kNoFirmware, msg::kCaptionWarning, MessageIcon::Warning,
                          MessageButtons::Ok);
        view_.Focus(ControlId::Firmware);
        return;
    }
    const std::string path = view_.ChooseFile(
        MakeChoice(false, view_.NameFromText(title_), layout::kSmpFiles, layout::kSmpPattern));
    if (path.empty()) {
        return;
    }

    PatchInfo info;
    info.formatVersion = author_.formatVersion;
    info.title = title_;
    info.group = view_.Text(ControlId::Group);
    info.version = version_;
    info.description = description_;
    info.author = author_.author;
    info.firmware = view_.Text(ControlId::Firmware);
    const ComposedPatch patch = ComposeSmpPatch(info, diff_, image_.failed() ? nullptr : &image_);
    if (!patch.error.empty()) {
        ShowError(patch.error);
        return;
    }
    WritePatch(path, patch.text);
}

void MainWindow::WritePatch(const std::string& path, const std::string& text) {
    const SaveResult result = SaveFile(PathFromName(path), text);
    switch (result.outcome) {
        case SaveOutcome::Saved:
            view_.ShowMessage(msg::kPatchSaved, msg::kCaptionSaved, MessageIcon::Information,
                              MessageButtons::Ok);
            return;
        case SaveOutcome::CannotOpen:
            ShowError(msg::kCannotOpenOutput);
            return;
        case SaveOutcome::WriteFailed:
            view_.ShowMessage(FileErrorText(result.cause, view_.TextFromName(path)),
                              view_.ApplicationName(), MessageIcon::Error, MessageButtons::Ok);
            return;
    }
}

void MainWindow::ShowError(std::string_view text) {
    view_.ShowMessage(text, msg::kCaptionError, MessageIcon::Error, MessageButtons::Ok);
}

void MainWindow::Close() {
    diff_.Release();
    image_.Release();
    view_.EndWindow();
}

void MainWindow::Accept() {
    if (TakeFields()) {
        view_.EndWindow();
    }
}

void MainWindow::Cancel() {
    view_.EndWindow();
}

}  // namespace quorrel
