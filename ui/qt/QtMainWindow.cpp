#include "QtMainWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>

#include "AboutBox.h"
#include "Cp1251Qt.h"
#include "DialogBuilder.h"
#include "ListComboBox.h"
#include "MainWindowLayout.h"
#include "ProgramIcon.h"
#include "QtDialogs.h"
#ifdef Q_OS_WIN
#include "SystemMenu.h"
#endif

namespace quorrel::qt {

QtMainWindow::QtMainWindow(SettingsFile settings, QWidget* parent)
    : QDialog(parent),
      state_(*this, std::move(settings)),
      runDialog_([](QDialog& dialog) { return dialog.exec(); }) {
    // A normal top-level window, not a dialog: window managers list dialogs with no owner as
    // belonging to some other window and may keep them out of the task bar.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(FromCp1251(ApplicationName()));
    BuildControls();
    // Files dropped anywhere on the window open; the edits take no dropped text of their own,
    // as on the Windows desktop, so a drop on them reaches the window.
    setAcceptDrops(true);
    for (QLineEdit* edit : findChildren<QLineEdit*>()) {
        edit->setAcceptDrops(false);
    }
}

namespace {

std::vector<std::string> DroppedNames(const QMimeData* data) {
    std::vector<std::string> names;
    if (data == nullptr) {
        return names;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            names.push_back(ToFileName(url.toLocalFile()));
        }
    }
    return names;
}

}  // namespace

void QtMainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedNames(event->mimeData()).empty()) {
        event->acceptProposedAction();
    }
}

void QtMainWindow::dropEvent(QDropEvent* event) {
    const std::vector<std::string> names = DroppedNames(event->mimeData());
    if (names.empty()) {
        return;
    }
    event->acceptProposedAction();
    state_.DropFiles(names);
}

QtMainWindow::~QtMainWindow() = default;

void QtMainWindow::BuildControls() {
    const std::vector<BuiltControl> built = CreateControls(*this, layout::kMainWindow);
    PlaceControls(*this, layout::kMainWindow, built);
    for (const BuiltControl& control : built) {
        if (control.wanted->id != 0) {
            controls_[static_cast<ControlId>(control.wanted->id)] = control.widget;
        }
    }
    const auto onClick = [this](ControlId id, auto command) {
        connect(static_cast<QPushButton*>(control(id)), &QPushButton::clicked, this, command);
    };
    onClick(ControlId::OpenDiff, [this] { state_.OpenDiff(); });
    onClick(ControlId::OpenImage, [this] { state_.OpenImage(); });
    onClick(ControlId::Save, [this] { state_.SaveSmp(); });
    onClick(ControlId::About, [this] { ShowAbout(); });
    // textEdited fires for the user's changes only, never for the program's own setText; it
    // also fires for a refused character that left the text as it was, which is no change.
    for (const ControlId id : {ControlId::Title, ControlId::Description}) {
        connect(Edit(id), &QLineEdit::textEdited, this, [this, id](const QString& text) {
            if (text != known_[id]) {
                known_[id] = text;
                state_.FieldsChanged();
            }
        });
    }
}

QWidget* QtMainWindow::control(ControlId id) const {
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
}

QLineEdit* QtMainWindow::Edit(ControlId id) const {
    QWidget* widget = control(id);
    if (auto* edit = dynamic_cast<QLineEdit*>(widget)) {
        return edit;
    }
    if (auto* combo = dynamic_cast<ListComboBox*>(widget)) {
        return combo->lineEdit();
    }
    return nullptr;
}

ListComboBox* QtMainWindow::Combo(ControlId id) const {
    return dynamic_cast<ListComboBox*>(control(id));
}

int QtMainWindow::exec() {
    // QDialog::exec would mark the window modal, which X11 tells window managers as modal to
    // another window; with no other window to block, a loop that ends with it is the same run.
    QEventLoop loop;
    connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
    show();
    if (isVisible()) {
        loop.exec(QEventLoop::DialogExec);
    }
    return result();
}

void QtMainWindow::ShowAbout() {
    AboutBox box(this, ProgramIcon());
    RunModal(box);
}

int QtMainWindow::RunModal(QDialog& dialog) {
    const int result = runDialog_(dialog);
    // The owner takes the keyboard back, as an owned box's owner does on Windows; not every X
    // session has a window manager to hand it back.
    if (isVisible()) {
        activateWindow();
    }
    return result;
}

std::string QtMainWindow::Text(ControlId id) const {
    if (const QLineEdit* edit = Edit(id)) {
        if (IsPathControl(id)) {
            const auto kept = names_.find(id);
            if (kept != names_.end() && FromFileName(kept->second) == edit->text()) {
                return kept->second;
            }
            return ToFileName(edit->text());
        }
        return ToCp1251(edit->text());
    }
    return {};
}

void QtMainWindow::SetText(ControlId id, std::string_view text) {
    QLineEdit* edit = Edit(id);
    if (edit == nullptr) {
        return;
    }
    if (IsPathControl(id)) {
        names_[id] = std::string(text);
        edit->setText(FromFileName(text));
    } else {
        edit->setText(FromCp1251(text));
    }
    known_[id] = edit->text();
    // A text put in by the program shows from its start.
    edit->setCursorPosition(0);
}

void QtMainWindow::Enable(ControlId id, bool enabled) {
    if (QWidget* widget = control(id)) {
        widget->setEnabled(enabled);
    }
}

void QtMainWindow::Focus(ControlId id) {
    if (QWidget* widget = control(id)) {
        widget->setFocus(Qt::OtherFocusReason);
    }
}

void QtMainWindow::SelectAll(ControlId id) {
    if (QLineEdit* edit = Edit(id)) {
        edit->selectAll();
    }
}

int QtMainWindow::Height(ControlId id) const {
    const QWidget* widget = control(id);
    return widget == nullptr ? 0 : widget->height();
}

void QtMainWindow::SetDroppedHeight(ControlId combo, int height) {
    if (ListComboBox* box = Combo(combo)) {
        box->SetDroppedHeight(height);
    }
}

void QtMainWindow::ClearList(ControlId combo) {
    if (ListComboBox* box = Combo(combo)) {
        box->ClearEntries();
    }
}

void QtMainWindow::AddListEntry(ControlId combo, std::string_view text) {
    if (ListComboBox* box = Combo(combo)) {
        box->AddEntry(text);
    }
}

MessageAnswer QtMainWindow::ShowMessage(std::string_view text, std::string_view caption,
                                        MessageIcon icon, MessageButtons buttons) {
    const auto box = MakeMessageBox(this, text, caption, icon, buttons);
    return AnswerOf(RunModal(*box));
}

std::string QtMainWindow::ChooseFile(const FileChoice& choice) {
    const auto dialog = MakeFileDialog(this, choice);
    if (RunModal(*dialog) != QDialog::Accepted) {
        return {};
    }
    const QStringList files = dialog->selectedFiles();
    return files.isEmpty() ? std::string() : ToFileName(files.first());
}

std::string QtMainWindow::ApplicationName() const {
    const QString name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    if (name.isEmpty()) {
        return std::string(layout::kMainCaption);
    }
    return ToCp1251Marked(name);
}

std::string QtMainWindow::NameFromText(std::string_view text) const {
    return ToFileName(FromCp1251(text));
}

std::string QtMainWindow::TextFromName(std::string_view name) const {
    return ToCp1251Marked(FromFileName(name));
}

void QtMainWindow::AddFrameItems() {
    setWindowIcon(ProgramIcon());
#ifdef Q_OS_WIN
    AppendAboutEntry(*this);
#endif
}

void QtMainWindow::EndWindow() {
    done(QDialog::Accepted);
}

void QtMainWindow::setVisible(bool visible) {
    if (visible && !shown_) {
        // The whole window, frame included, goes to the middle of its screen's work area; the
        // frame is known once the platform window exists, where the platform tells it early.
        create();
        if (const QScreen* screen = this->screen()) {
            const QRect area = screen->availableGeometry();
            const QSize frame = frameGeometry().size();
            move(area.x() + (area.width() - frame.width()) / 2,
                 area.y() + (area.height() - frame.height()) / 2);
        }
    }
    QDialog::setVisible(visible);
}

void QtMainWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!shown_) {
        shown_ = true;
        state_.FirstShowing();
    }
}

void QtMainWindow::keyPressEvent(QKeyEvent* event) {
    const bool plain = event->modifiers() == Qt::NoModifier ||
                       (event->modifiers() == Qt::KeypadModifier && event->key() == Qt::Key_Enter);
    if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        if (auto* button = dynamic_cast<QPushButton*>(focusWidget())) {
            if (button->isEnabled()) {
                button->click();
            }
        } else {
            state_.Accept();
        }
        return;
    }
    if (plain && event->key() == Qt::Key_Escape) {
        state_.Cancel();
        return;
    }
    QDialog::keyPressEvent(event);
}

void QtMainWindow::closeEvent(QCloseEvent* event) {
    if (isVisible()) {
        state_.Close();
    }
    event->accept();
}

#ifdef Q_OS_WIN
bool QtMainWindow::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
    if (eventType == "windows_generic_MSG" && IsAboutCommand(message)) {
        ShowAbout();
        *result = 0;
        return true;
    }
    return QDialog::nativeEvent(eventType, message, result);
}
#endif

}  // namespace quorrel::qt
