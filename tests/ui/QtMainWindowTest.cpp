#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <QtTest>

#include "AboutBox.h"
#include "Cp1251.h"
#include "Cp1251Qt.h"
#include "DialogUnits.h"
#include "DiffBuilder.h"
#include "ListComboBox.h"
#include "MainWindowLayout.h"
#include "QtDialogs.h"
#include "QtMainWindow.h"
#include "TempDir.h"
#include "WindowDriver.h"

namespace quorrel::test {

using qt::DialogUnits;
using qt::FromCp1251;
using qt::FromFileName;
using qt::ListComboBox;
using qt::QtMainWindow;

namespace {

// Types any text into `widget`, one character (code point) per key press, as a keyboard layout
// or input method would deliver it; QTest's own typing handles Latin-1 only.
void TypeText(QWidget* widget, const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype units = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString ch = text.mid(i, units);
        i += units - 1;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, ch);
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, ch);
        QApplication::sendEvent(widget, &release);
    }
}

// A drop as the desktop delivers it: the drag enters the widget under the pointer first.
bool DropOn(QWidget* target, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    data.setText(urls.isEmpty() ? QString() : urls.first().toString());
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) {
        return false;
    }
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

// The Qt window on the offscreen platform; its modal dialogs go to the dialog script, the
// About box to `about` when set.
class QtDriver : public WindowDriver {
  public:
    explicit QtDriver(const std::string& settingsPath) : window(SettingsFile(settingsPath)) {
        window.SetDialogRunner([this](QDialog& dialog) { return Run(dialog); });
        QObject::connect(&window, &QDialog::finished, [this] { ++ended; });
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    MainWindow& state() override { return window.state(); }
    WindowView& view() override { return window; }
    void Type(ControlId id, std::string_view cp1251) override {
        QLineEdit* edit = Edit(id);
        edit->selectAll();
        if (cp1251.empty()) {
            QTest::keyClick(edit, Qt::Key_Backspace);
        }
        TypeText(window.control(id), FromCp1251(cp1251));
    }
    void Click(ControlId button) override {
        QTest::mouseClick(window.control(button), Qt::LeftButton);
    }
    void Drop(const std::vector<std::string>& names) override {
        QList<QUrl> urls;
        for (const std::string& name : names) {
            urls << QUrl::fromLocalFile(FromFileName(name));
        }
        EXPECT_EQ(DropOn(Edit(ControlId::Title), urls), !names.empty());
    }
    void Enter() override { QTest::keyClick(Edit(ControlId::Title), Qt::Key_Return); }
    void Escape() override { QTest::keyClick(Edit(ControlId::Version), Qt::Key_Escape); }
    void CloseBox() override { EXPECT_TRUE(window.close()); }
    bool Ended() override { return ended == 1 && !window.isVisible(); }
    bool Enabled(ControlId id) override { return window.control(id)->isEnabled(); }
    std::optional<ControlId> Focus() override {
        for (const ControlId id :
             {ControlId::DiffPath, ControlId::ImagePath, ControlId::Title, ControlId::Group,
              ControlId::Version, ControlId::Description, ControlId::Firmware}) {
            if (QApplication::focusWidget() == Edit(id) ||
                QApplication::focusWidget() == window.control(id)) {
                return id;
            }
        }
        return std::nullopt;
    }
    bool WholeTextSelected(ControlId id) override {
        return Edit(id)->selectedText() == Edit(id)->text();
    }
    std::vector<std::string> List(ControlId id) override {
        std::vector<std::string> entries;
        for (int i = 0; i < Combo(id).count(); ++i) {
            entries.push_back(qt::ToCp1251(Combo(id).itemText(i)));
        }
        return entries;
    }
    int DroppedHeight(ControlId id) override { return Combo(id).droppedHeight(); }
    bool HasIcon() override { return !window.windowIcon().availableSizes().isEmpty(); }

    QLineEdit* Edit(ControlId id) const {
        auto* combo = dynamic_cast<ListComboBox*>(window.control(id));
        return combo != nullptr ? combo->lineEdit() : qobject_cast<QLineEdit*>(window.control(id));
    }
    ListComboBox& Combo(ControlId id) const {
        return dynamic_cast<ListComboBox&>(*window.control(id));
    }

    QtMainWindow window;
    int ended = 0;
    std::function<void(qt::AboutBox&)> about;

  private:
    int Run(QDialog& dialog) {
        if (auto* box = dynamic_cast<QMessageBox*>(&dialog)) {
            const bool both = box->standardButtons() == (QMessageBox::Ok | QMessageBox::Cancel);
            const MessageIcon icon = box->icon() == QMessageBox::Critical ? MessageIcon::Error
                                     : box->icon() == QMessageBox::Warning
                                         ? MessageIcon::Warning
                                         : MessageIcon::Information;
            // Shown as plain text; Enter is OK and Escape the safe answer.
            EXPECT_EQ(box->icon() == QMessageBox::Information, icon == MessageIcon::Information);
            EXPECT_EQ(box->textFormat(), Qt::PlainText);
            EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Ok));
            EXPECT_EQ(box->escapeButton(),
                      box->button(both ? QMessageBox::Cancel : QMessageBox::Ok));
            const MessageAnswer answer =
                dialogs.Message(box->text().replace('\n', QStringLiteral("\r\n")).toStdString(),
                                box->windowTitle().toStdString(), icon,
                                both ? MessageButtons::OkCancel : MessageButtons::Ok);
            return answer == MessageAnswer::Ok ? QMessageBox::Ok : QMessageBox::Cancel;
        }
        if (auto* chooser = dynamic_cast<QFileDialog*>(&dialog)) {
            const bool open = chooser->acceptMode() == QFileDialog::AcceptOpen;
            EXPECT_TRUE(chooser->testOption(QFileDialog::DontUseNativeDialog));
            // Each filter's label names its pattern already; overwriting asks first.
            EXPECT_TRUE(chooser->testOption(QFileDialog::HideNameFilterDetails));
            EXPECT_FALSE(chooser->testOption(QFileDialog::DontConfirmOverwrite));
            EXPECT_EQ(chooser->fileMode(), QFileDialog::AnyFile);
            EXPECT_EQ(chooser->nameFilters().value(1), QStringLiteral("Все файлы (*.*) (*)"));
            EXPECT_EQ(chooser->defaultSuffix(), open ? QString() : QStringLiteral("smp"));
            const auto* field = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            const std::string name =
                dialogs.Choose(open, field != nullptr ? field->text().toStdString() : "?");
            if (name.empty()) {
                return QDialog::Rejected;
            }
            chooser->selectFile(FromFileName(name));
            return QDialog::Accepted;
        }
        auto* box = dynamic_cast<qt::AboutBox*>(&dialog);
        if (box != nullptr && about) {
            about(*box);
        } else {
            dialogs.Unexpected(dialog.metaObject()->className());
        }
        return QDialog::Rejected;
    }
};

class QtWindow : public WindowTest<QtDriver> {
  protected:
    QWidget* Named(const char* name) const {
        return ui_->window.findChild<QWidget*>(QString::fromLatin1(name));
    }
    QtMainWindow& window() { return ui_->window; }
};

TEST_F(QtWindow, IsAFixedCentredDialogNamedAfterTheExecutableWithSortedLists) {
    const QString app = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    EXPECT_EQ(window().windowTitle(), app);
    EXPECT_EQ(window().ApplicationName(), qt::ToCp1251(app));
    const Qt::WindowFlags flags = window().windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(window().minimumSize(), window().maximumSize());
    EXPECT_EQ(window().parentWidget(), nullptr);
    const QPoint area = window().screen()->availableGeometry().center();
    const QPoint frame = window().frameGeometry().center();
    EXPECT_NEAR(frame.x(), area.x(), 1);
    EXPECT_NEAR(frame.y(), area.y(), 1);

    EXPECT_TRUE(ui_->Edit(ControlId::DiffPath)->isReadOnly());
    EXPECT_TRUE(ui_->Edit(ControlId::ImagePath)->isReadOnly());
    EXPECT_FALSE(ui_->Edit(ControlId::Title)->isReadOnly());
    // Without regard to case, duplicates kept.
    const auto w = [](const char* utf8) { return cp1251::FromUtf8(utf8).text; };
    EXPECT_EQ(ui_->List(ControlId::Group), (std::vector{w("арбуз"), w("Арбуз"), w("Яблоко")}));
    EXPECT_EQ(ui_->List(ControlId::Firmware),
              (std::vector<std::string>{"E250A", "E250B", "E250C", "E250D"}));
    EXPECT_EQ(ui_->Text(ControlId::Group), "");
}

// What window managers and screen readers are told: during its run the window is a normal
// top-level window, owned by nothing and modal to nothing, and each field, a combo box's edit as
// well, is named by the label beside it.
TEST_F(QtWindow, RunsAsANormalWindowWithFieldsNamedByTheirLabels) {
    std::optional<QWindow*> owner;
    Qt::WindowType type{};
    Qt::WindowModality modality{};
    QTimer::singleShot(0, &window(), [&] {
        owner = window().windowHandle()->transientParent();
        type = window().windowHandle()->type();
        modality = window().windowHandle()->modality();
        QTest::keyClick(window().control(ControlId::Title), Qt::Key_Escape);
    });
    EXPECT_EQ(window().exec(), int(QDialog::Accepted));
    EXPECT_EQ(owner, nullptr);
    EXPECT_EQ(type, Qt::Window);
    EXPECT_EQ(modality, Qt::NonModal);
    const std::pair<ControlId, QString> fields[] = {
        {ControlId::DiffPath, "DIF файл"}, {ControlId::ImagePath, "BIN файл"},
        {ControlId::Title, "Название"},    {ControlId::Group, "Группа"},
        {ControlId::Version, "Версия"},    {ControlId::Description, "Описание"},
        {ControlId::Firmware, "Прошивка"}};
    for (const auto& [id, label] : fields) {
        for (QWidget* named : {window().control(id), static_cast<QWidget*>(ui_->Edit(id))}) {
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(named);
            ASSERT_NE(face, nullptr);
            EXPECT_EQ(face->text(QAccessible::Name), label);
        }
    }
}

TEST_F(QtWindow, ComboOpensToAboutFourTimesItsHeight) {
    ListComboBox* combo = &ui_->Combo(ControlId::Firmware);
    combo->showPopup();
    QWidget* popup = combo->view()->window();
    EXPECT_TRUE(QTest::qWaitFor([&] { return popup->isVisible(); }));
    const int row = combo->view()->sizeHintForRow(0);
    EXPECT_NEAR(popup->height() + combo->height(), 4 * combo->height(), row);
    combo->hidePopup();
}

TEST_F(QtWindow, TabOrderIsCreationOrderAndNoButtonIsDefault) {
    window().Enable(ControlId::Save, true);
    const QStringList expected = {"diffPath", "openDiff", "imagePath", "openImage",
                                  "title",    "group",    "version",   "description",
                                  "about",    "save",     "firmware",  "diffPath"};
    QStringList order{QApplication::focusWidget()->objectName()};
    for (int i = 1; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focus = QApplication::focusWidget();
        // A combo box's text field holds the focus on its behalf.
        if (auto* combo = qobject_cast<QComboBox*>(focus->parentWidget())) {
            focus = combo;
        }
        order << focus->objectName();
    }
    EXPECT_EQ(order, expected);
    for (QPushButton* button : window().findChildren<QPushButton*>()) {
        EXPECT_FALSE(button->isDefault() || button->autoDefault()) << button->objectName().data();
    }
}

TEST_F(QtWindow, LayoutKeepsTheProportionsAndClipsNoText) {
    const double sx = window().width() / 259.0;
    const double sy = window().height() / 161.0;
    // Every control at its place in the table the Windows dialog is checked against as well.
    for (const ControlTemplate& c : layout::kMainWindow.controls) {
        const QWidget* control = Named(std::string(c.name).c_str());
        ASSERT_NE(control, nullptr) << c.name;
        const QRect g = control->geometry();
        EXPECT_NEAR(g.x(), c.rect.x * sx, 1.5) << c.name;
        EXPECT_NEAR(g.y(), c.rect.y * sy, 1.5) << c.name;
        EXPECT_NEAR(g.width(), c.rect.width * sx, 2) << c.name;
        EXPECT_NEAR(g.height(), c.rect.height * sy, 2) << c.name;
    }
    for (const QLabel* label : window().findChildren<QLabel*>()) {
        const QSize text = label->fontMetrics().size(0, label->text());
        EXPECT_LE(text.width(), label->contentsRect().width()) << label->text().toStdString();
        EXPECT_LE(text.height(), label->contentsRect().height()) << label->text().toStdString();
    }
    for (const QPushButton* button : window().findChildren<QPushButton*>()) {
        const QSize text = button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
        EXPECT_LE(text.width() + 4, button->width()) << button->text().toStdString();
        EXPECT_LE(text.height() + 2, button->height()) << button->text().toStdString();
    }
    for (const QWidget* field : window().findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (qobject_cast<const QLineEdit*>(field) || qobject_cast<const QComboBox*>(field)) {
            EXPECT_LE(field->minimumSizeHint().height(), field->height())
                << field->objectName().toStdString();
        }
    }
    const auto* frame = qobject_cast<QGroupBox*>(Named("patchFrame"));
    EXPECT_LT(frame->fontMetrics().horizontalAdvance(frame->title()), frame->width());
}

TEST_F(QtWindow, MnemonicsPressTheirButtonsAndAPickedEntryIsSaved) {
    const std::string diff = dir_.File("good.dif");
    WriteFile(diff, DiffBuilder().Nord(1, "x").bytes());
    ui_->dialogs.chosen = {diff, "", dir_.File("Громкость")};
    ui_->dialogs.answers = {MessageAnswer::Ok};
    ui_->Edit(ControlId::Group)->setFocus();
    QTest::keyClick(window().control(ControlId::Group), Qt::Key_Down);  // the first entry
    // A mnemonic presses its button the way a click by shortcut does: after a short delay.
    for (const Qt::Key key : {Qt::Key_D, Qt::Key_B, Qt::Key_S}) {
        const std::size_t left = ui_->dialogs.chosen.size();
        QTest::keyClick(&window(), key, Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor([&] { return ui_->dialogs.chosen.size() < left; })) << key;
    }
    EXPECT_EQ(ui_->dialogs.TakeLog().size(), 5u);
    // The save chooser adds the extension to a name without one.
    const std::string saved = ReadFile(dir_.File("Громкость.smp"));
    EXPECT_NE(saved.find("group=\"" + cp1251::FromUtf8("арбуз").text + "\""), std::string::npos);
}

TEST_F(QtWindow, EnterOnAButtonPressesItAndInAComboBoxEndsWithoutInserting) {
    window().control(ControlId::OpenDiff)->setFocus();
    ui_->dialogs.chosen = {""};
    QTest::keyClick(window().control(ControlId::OpenDiff), Qt::Key_Return);
    EXPECT_EQ(ui_->dialogs.TakeLog(), Log{"open ''"});
    int abouts = 0;
    ui_->about = [&](qt::AboutBox&) { ++abouts; };
    window().control(ControlId::About)->setFocus();
    QTest::keyClick(window().control(ControlId::About), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(abouts, 1);
    EXPECT_FALSE(ui_->Ended());

    ui_->Edit(ControlId::Group)->setFocus();
    TypeText(window().control(ControlId::Group), QStringLiteral("новая"));
    QTest::keyClick(ui_->Edit(ControlId::Group), Qt::Key_Return);
    EXPECT_TRUE(ui_->Ended());
    EXPECT_EQ(ui_->List(ControlId::Group).size(), 3u);
}

TEST_F(QtWindow, DropsWithoutLocalFilesAreRefusedAndAButtonTakesFiles) {
    EXPECT_FALSE(DropOn(&window(), {QUrl(QStringLiteral("https://example.org/a.dif"))}));
    EXPECT_FALSE(DropOn(&window(), {}));
    const std::string other = dir_.File("other.dif");
    WriteFile(other, "");
    EXPECT_TRUE(
        DropOn(window().control(ControlId::About), {QUrl::fromLocalFile(FromFileName(other))}));
    EXPECT_EQ(window().state().diffPath(), other);
    EXPECT_EQ(ui_->dialogs.TakeLog().size(), 1u);
}

TEST_F(QtWindow, CharactersWithoutAWindows1251FormAreRefusedAndStartNothing) {
    ui_->Type(ControlId::Version, "x");
    TypeText(window().control(ControlId::Title), QStringLiteral("Пр中и😀в€т"));
    EXPECT_EQ(ui_->Edit(ControlId::Title)->text(), QStringLiteral("Прив€т"));
    EXPECT_EQ(ui_->Edit(ControlId::Title)->cursorPosition(), 6);
    EXPECT_EQ(window().state().title(), cp1251::FromUtf8("Прив€т").text);
    EXPECT_EQ(ui_->dialogs.TakeLog().size(), 6u) << "one change a character kept";
    // A paste keeps what has a form, and the cursor stays after it.
    QLineEdit* description = ui_->Edit(ControlId::Description);
    description->setText(QStringLiteral("[]"));
    description->setCursorPosition(1);
    QApplication::clipboard()->setText(QStringLiteral("x中y😀z"));
    description->paste();
    EXPECT_EQ(description->text(), QStringLiteral("[xyz]"));
    EXPECT_EQ(description->cursorPosition(), 4);
    ui_->dialogs.TakeLog();
    TypeText(window().control(ControlId::Firmware), QStringLiteral("E中1"));
    EXPECT_EQ(window().Text(ControlId::Firmware), "E1");
}

TEST_F(QtWindow, TextCrossesTheCodecAndNamesDoNot) {
    window().SetText(ControlId::Title, cp1251::FromUtf8("Ёлка №2").text);
    EXPECT_EQ(ui_->Edit(ControlId::Title)->text(), QStringLiteral("Ёлка №2"));
    // A name that is not even valid UTF-8 comes back byte for byte.
    const std::string odd = dir_.File("\xFF\xFE.dif");
    window().SetText(ControlId::DiffPath, odd);
    EXPECT_EQ(window().Text(ControlId::DiffPath), odd);
    const std::string cyrillic = dir_.File("прошивка.dif");
    window().SetText(ControlId::ImagePath, cyrillic);
    EXPECT_EQ(ui_->Edit(ControlId::ImagePath)->text(), FromFileName(cyrillic));
    EXPECT_EQ(window().Text(ControlId::ImagePath), cyrillic);
    // Shown as text, a character Windows-1251 lacks stands as '?'.
    EXPECT_EQ(window().TextFromName("a\u6F22b"), "a?b");
}

TEST_F(QtWindow, AboutBoxFromItsButtonAnyNumberOfTimes) {
    int shown = 0;
    ui_->about = [&](qt::AboutBox& box) {
        ++shown;
        box.show();
        EXPECT_EQ(box.windowTitle(), QStringLiteral("О программе"));
        const QList<QLabel*> labels = box.findChildren<QLabel*>();
        ASSERT_EQ(labels.size(), 3);
        EXPECT_FALSE(labels[0]->pixmap().isNull());
        EXPECT_EQ(labels[1]->text(), QStringLiteral("Quorrel v2.0"));
        EXPECT_EQ(labels[2]->text().count('\n'), 3) << "four lines of credits";
        const auto* ok = box.findChild<QPushButton*>(QStringLiteral("aboutOk"));
        EXPECT_TRUE(ok != nullptr && ok->isDefault());
        const QPoint offset = box.frameGeometry().center() - window().frameGeometry().center();
        EXPECT_LE(offset.manhattanLength(), 2);
    };
    ui_->Click(ControlId::About);
    ui_->Click(ControlId::About);
    EXPECT_EQ(shown, 2);
}

// Units of the layout table against pixels, on their own.
TEST(QtControls, DialogUnitsMapEdgesWidenToFitAndFollowTheFont) {
    DialogUnits units(6, 13);
    EXPECT_EQ(units.Map(DialogRect{7, 17, 155, 13}), QRect(11, 28, 232, 21));
    EXPECT_EQ(units.Map(259, 161), QSize(389, 262));
    // Neighbours that touch in units touch in pixels.
    const QRect left = units.Map(DialogRect{7, 0, 3, 1});
    EXPECT_EQ(left.x() + left.width(), units.Map(DialogRect{10, 0, 3, 1}).x());
    units.Fit(DialogRect{0, 0, 29, 10}, QSize(60, 20));
    EXPECT_GE(units.Map(DialogRect{155, 88, 29, 10}).width(), 60);
    EXPECT_GE(units.Map(DialogRect{155, 88, 29, 10}).height(), 20);
    const double widened = units.baseX();
    units.Fit(DialogRect{0, 0, 100, 10}, QSize(10, 1));
    EXPECT_EQ(units.baseX(), widened);

    QFont font = QApplication::font();
    font.setPixelSize(10);
    const DialogUnits small = DialogUnits::FromFont(QFontMetrics(font));
    font.setPixelSize(20);
    const DialogUnits large = DialogUnits::FromFont(QFontMetrics(font));
    EXPECT_GT(large.baseX(), small.baseX());
    EXPECT_GT(large.baseY(), small.baseY());
}

TEST(QtControls, ComboKeepsTheEditTextThroughListChanges) {
    ListComboBox combo;
    combo.setEditText(QStringLiteral("typed"));
    combo.AddEntry("first");
    combo.AddEntry("second");
    EXPECT_EQ(combo.currentIndex(), -1);
    EXPECT_EQ(combo.currentText(), QStringLiteral("typed"));
    combo.ClearEntries();
    EXPECT_EQ(combo.currentText(), QStringLiteral("typed"));
    EXPECT_EQ(combo.count(), 0);
}

// The rest of a chooser's make-up the driver checks on every chooser the suite opens.
TEST(QtControls, FileDialogStartsInTheNamesFolderAndShowsAtMostItsLimit) {
    FileChoice choice;
    choice.initialName = "/tmp/start.dif";
    EXPECT_EQ(qt::MakeFileDialog(nullptr, choice)->directory().absolutePath(),
              QStringLiteral("/tmp"));
    choice.forOpening = false;
    choice.initialName = std::string(300, 'n');
    choice.defaultExtension = "*.smp";
    const QStringList typed = qt::MakeFileDialog(nullptr, choice)->selectedFiles();
    ASSERT_EQ(typed.size(), 1);
    EXPECT_EQ(QFileInfo(typed.first()).fileName(), QString(259, 'n') + ".smp");
}

}  // namespace

std::unique_ptr<WindowDriver> StartWindow(const std::string& settingsPath) {
    return std::make_unique<QtDriver>(settingsPath);
}

}  // namespace quorrel::test

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
