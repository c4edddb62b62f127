#pragma once

#include <QDialog>
#include <functional>
#include <map>

#include "MainWindow.h"
#include "SettingsFile.h"
#include "WindowView.h"

class QLineEdit;

namespace quorrel::qt {

class ListComboBox;

// The main window on Qt Widgets: builds the controls of the layout, forwards their events to
// the MainWindow's commands and lends it the controls through WindowView.
class QtMainWindow : public QDialog, public WindowView {
  public:
    // Runs a modal dialog (message box, file chooser, About box) and returns its result.
    using DialogRunner = std::function<int(QDialog&)>;

    explicit QtMainWindow(SettingsFile settings, QWidget* parent = nullptr);
    ~QtMainWindow() override;

    MainWindow& state() { return state_; }
    QWidget* control(ControlId id) const;
    // Tests answer the modal dialogs here instead of a user.
    void SetDialogRunner(DialogRunner runner) { runDialog_ = std::move(runner); }

    void ShowAbout();
    // Shows the window and returns once it has ended, leaving it a normal window meanwhile.
    int exec() override;

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

  protected:
    void setVisible(bool visible) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
#ifdef Q_OS_WIN
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
#endif

  private:
    void BuildControls();
    int RunModal(QDialog& dialog);
    QLineEdit* Edit(ControlId id) const;
    ListComboBox* Combo(ControlId id) const;

    MainWindow state_;
    std::map<ControlId, QWidget*> controls_;
    std::map<ControlId, std::string> names_;  // the exact bytes of the path controls' names
    std::map<ControlId, QString> known_;      // texts as last changed, by the user or the program
    DialogRunner runDialog_;
    bool shown_ = false;
};

}  // namespace quorrel::qt
