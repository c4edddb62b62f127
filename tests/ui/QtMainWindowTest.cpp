#include <QAbstractItemView>
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
#include <QtTest>
#include <deque>
#include <functional>
#include <memory>

#include "AboutBox.h"
#include "ComposeSmpPatch.h"
#include "Cp1251.h"
#include "Cp1251Qt.h"
#include "DiffBuilder.h"
#include "ListComboBox.h"
#include "MakePatchId.h"
#include "QtMainWindow.h"
#include "TempDir.h"
#include "TypeText.h"

using namespace quorrel;
using namespace quorrel::qt;

namespace {

std::string W(const char* utf8) {
    return cp1251::FromUtf8(utf8).text;
}

QString IconName(QMessageBox::Icon icon) {
    return icon == QMessageBox::Critical      ? "error"
           : icon == QMessageBox::Warning     ? "warning"
           : icon == QMessageBox::Information ? "information"
                                              : "other";
}

const QString kNoImage = QStringLiteral(
    "message [Предупреждение] warning ok+cancel: Внимание! BIN File не открыт.\n"
    "Без него smp-patch будет не полным.");
const QString kSaved =
    QStringLiteral("message [Патч создан] information ok: SMP-патч успешно создан!");

const QString kOpenDiff = QStringLiteral("open DIFF файлы (*.dif) (*.dif)|Все файлы (*.*) (*)");
const QString kOpenBin = QStringLiteral("open BIN файлы (*.bin) (*.bin)|Все файлы (*.*) (*)");
const QString kSave = QStringLiteral("save SMP файлы (*.smp) (*.smp)|Все файлы (*.*) (*)");

QString AppName() {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

QStringList Items(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) {
        items << combo->itemText(i);
    }
    return items;
}

const std::string kSettings =
    "[Author Info]\nNickName=Nick\nFullName=Full\nEmail=e@x\nwww=http://w/\nicq=7\n"
    "[Group]\n0=" +
    W("Яблоко") + "\n1=" + W("арбуз") + "\n2=" + W("Арбуз") + "\n4=" + W("за пропуском") +
    "\n[Firmware]\n0=E250D\n1=E250C\n2=E250B\n3=E250A\n";

}  // namespace

class QtMainWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> dir_;
    std::unique_ptr<QtMainWindow> window_;
    // What the user does in each modal dialog, in order, and what the dialogs showed.
    std::deque<std::function<int(QDialog&)>> script_;
    QStringList seen_;
    std::string diffBytes_;

    template <typename T>
    T* Find(const char* name) const {
        return window_->findChild<T*>(QString::fromLatin1(name));
    }
    QLineEdit* Edit(const char* name) const { return Find<QLineEdit>(name); }
    ListComboBox* Combo(const char* name) const {
        return dynamic_cast<ListComboBox*>(Find<QComboBox>(name));
    }
    QPushButton* Button(const char* name) const { return Find<QPushButton>(name); }

    std::string Put(const char* name, const std::string& bytes) {
        const std::string path = dir_->File(name);
        test::WriteFile(path, bytes);
        return path;
    }

    // Scripts the next dialog, which must be a T.
    template <typename T>
    void Expect(std::function<int(T&)> step) {
        script_.push_back([this, step](QDialog& dialog) {
            auto* typed = dynamic_cast<T*>(&dialog);
            if (typed == nullptr) {
                seen_ << QStringLiteral("unexpected dialog ") + dialog.metaObject()->className();
                return int(QDialog::Rejected);
            }
            return step(*typed);
        });
    }

    void Answer(QMessageBox::StandardButton button) {
        Expect<QMessageBox>([this, button](QMessageBox& box) {
            const bool both = box.standardButtons() == (QMessageBox::Ok | QMessageBox::Cancel);
            seen_ << QStringLiteral("message [%1] %2 %3: %4")
                         .arg(box.windowTitle(), IconName(box.icon()),
                              both ? QStringLiteral("ok+cancel") : QStringLiteral("ok"),
                              box.text());
            return int(button);
        });
    }

    // The user types `name` into the chooser, or cancels it when `name` is empty.
    void Choose(const std::string& name) {
        Expect<QFileDialog>([this, name](QFileDialog& dialog) {
            QFileDialog* chooser = &dialog;
            seen_ << QStringLiteral("%1 %2").arg(
                chooser->acceptMode() == QFileDialog::AcceptOpen ? "open" : "save",
                chooser->nameFilters().join('|'));
            if (name.empty()) {
                return int(QDialog::Rejected);
            }
            chooser->selectFile(FromFileName(name));
            return int(QDialog::Accepted);
        });
    }

    // A mnemonic presses its button the way a click by shortcut does: after a short delay.
    void PressAlt(Qt::Key key) {
        QTest::keyClick(window_.get(), key, Qt::AltModifier);
        QTRY_VERIFY(script_.empty());
    }

    QStringList TakeSeen() {
        QStringList out;
        out.swap(seen_);
        return out;
    }

    void OpenGoodDiff(const char* firmware = "E250-NEW") {
        diffBytes_ =
            test::DiffBuilder(firmware).Nord(0x10, "\xAA\xBB").Nord(0x1000, "\xCC").bytes();
        Choose(Put("good.dif", diffBytes_));
        QTest::mouseClick(Button("openDiff"), Qt::LeftButton);
    }

    static void SetTyped(QLineEdit* edit, const QString& text) {
        edit->selectAll();
        test::TypeText(edit, text);
    }

  private slots:
    void init() {
        dir_ = std::make_unique<test::TempDir>();
        test::WriteFile(dir_->File("Quorrel.ini"), kSettings);
        window_ = std::make_unique<QtMainWindow>(SettingsFile(dir_->File("Quorrel.ini")));
        window_->SetDialogRunner([this](QDialog& dialog) {
            if (script_.empty()) {
                seen_ << QStringLiteral("unscripted ") + dialog.metaObject()->className();
                return int(QDialog::Rejected);
            }
            auto step = script_.front();
            script_.pop_front();
            return step(dialog);
        });
        window_->show();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    }

    void cleanup() {
        const QStringList seen = TakeSeen();
        const auto left = script_.size();
        script_.clear();
        window_.reset();
        dir_.reset();
        QCOMPARE(seen, QStringList{});
        QVERIFY2(left == 0, "a scripted dialog never came");
    }

    void windowIsAFixedDialogNamedAfterTheExecutable() {
        QCOMPARE(window_->windowTitle(), AppName());
        QCOMPARE(window_->ApplicationName(), ToCp1251(AppName()));
        const Qt::WindowFlags flags = window_->windowFlags();
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QCOMPARE(window_->minimumSize(), window_->maximumSize());
        QVERIFY(window_->parentWidget() == nullptr);
        QVERIFY(!window_->windowIcon().isNull());
        QVERIFY(!window_->windowIcon().availableSizes().isEmpty());
    }

    void firstShowingCentresAndSetsTheStartState() {
        const QPoint area = window_->screen()->availableGeometry().center();
        const QPoint frame = window_->frameGeometry().center();
        QVERIFY2(qAbs(frame.x() - area.x()) <= 1 && qAbs(frame.y() - area.y()) <= 1,
                 qPrintable(QString::asprintf("window centred at %d,%d in area centred at %d,%d",
                                              frame.x(), frame.y(), area.x(), area.y())));
        QVERIFY(!Button("save")->isEnabled());
        QCOMPARE(QApplication::focusWidget(), Edit("diffPath"));
        QCOMPARE(Edit("version")->text(), QStringLiteral("1"));
        QVERIFY(Edit("diffPath")->isReadOnly());
        QVERIFY(Edit("imagePath")->isReadOnly());
        QVERIFY(!Edit("title")->isReadOnly());
        QCOMPARE(Items(Combo("group")), (QStringList{"арбуз", "Арбуз", "Яблоко"}));
        QCOMPARE(Items(Combo("firmware")), (QStringList{"E250A", "E250B", "E250C", "E250D"}));
        QCOMPARE(Combo("group")->currentText(), QString());
        QCOMPARE(Combo("firmware")->currentText(), QString());
    }

    void comboOpensToAboutFourTimesItsHeight() {
        ListComboBox* combo = Combo("firmware");
        QVERIFY(combo != nullptr);
        QCOMPARE(combo->droppedHeight(), 4 * combo->height());
        combo->showPopup();
        QWidget* popup = combo->view()->window();
        QTRY_VERIFY(popup->isVisible());
        const int row = combo->view()->sizeHintForRow(0);
        const int whole = popup->height() + combo->height();
        QVERIFY2(qAbs(whole - 4 * combo->height()) <= row,
                 qPrintable(QString::asprintf("dropped %d for closed %d, row %d", whole,
                                              combo->height(), row)));
        combo->hidePopup();
    }

    void controlsAreInCreationAndTabOrderAndNoneIsDefault() {
        OpenGoodDiff();
        QCOMPARE(TakeSeen(), QStringList{kOpenDiff});
        const QStringList expected = {"diffPath", "openDiff", "imagePath", "openImage",
                                      "title",    "group",    "version",   "description",
                                      "about",    "save",     "firmware",  "diffPath"};
        Edit("diffPath")->setFocus(Qt::TabFocusReason);
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
        QCOMPARE(order, expected);
        for (QPushButton* button : window_->findChildren<QPushButton*>()) {
            QVERIFY2(!button->isDefault() && !button->autoDefault(),
                     qPrintable(button->objectName()));
        }
    }

    void layoutKeepsTheProportionsAndClipsNoText() {
        const double sx = window_->width() / 259.0;
        const double sy = window_->height() / 161.0;
        const struct {
            const char* name;
            int x, y, w, h;
        } rects[] = {
            {"diffPath", 7, 17, 155, 13},   {"openDiff", 168, 17, 84, 13},
            {"patchFrame", 7, 59, 245, 77}, {"versionLabel", 155, 88, 29, 10},
            {"version", 186, 86, 59, 13},   {"firmware", 58, 118, 92, 12},
            {"save", 169, 141, 83, 13},
        };
        for (const auto& r : rects) {
            const QWidget* w = window_->findChild<QWidget*>(QString::fromLatin1(r.name));
            QVERIFY2(w != nullptr, r.name);
            const QRect g = w->geometry();
            QVERIFY2(qAbs(g.x() - r.x * sx) <= 1.5 && qAbs(g.y() - r.y * sy) <= 1.5 &&
                         qAbs(g.width() - r.w * sx) <= 2 && qAbs(g.height() - r.h * sy) <= 2,
                     qPrintable(QString::asprintf("%s at %d,%d %dx%d", r.name, g.x(), g.y(),
                                                  g.width(), g.height())));
        }
        for (const QLabel* label : window_->findChildren<QLabel*>()) {
            const QSize text = label->fontMetrics().size(0, label->text());
            QVERIFY2(text.width() <= label->contentsRect().width() &&
                         text.height() <= label->contentsRect().height(),
                     qPrintable(label->text()));
        }
        for (const QPushButton* button : window_->findChildren<QPushButton*>()) {
            const QSize text = button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
            QVERIFY2(text.width() + 4 <= button->width() && text.height() + 2 <= button->height(),
                     qPrintable(button->text()));
        }
        for (const QWidget* field : window_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (qobject_cast<const QLineEdit*>(field) || qobject_cast<const QComboBox*>(field)) {
                QVERIFY2(field->minimumSizeHint().height() <= field->height(),
                         qPrintable(field->objectName()));
            }
        }
        const QGroupBox* frame = Find<QGroupBox>("patchFrame");
        QVERIFY(frame->fontMetrics().horizontalAdvance(frame->title()) < frame->width());
    }

    void unreadableDiffShowsItsPathAndDisablesSave() {
        OpenGoodDiff();
        QVERIFY(Button("save")->isEnabled());
        TakeSeen();
        const std::string missing = dir_->File("нет такого.dif");
        Choose(missing);
        Answer(QMessageBox::Ok);
        PressAlt(Qt::Key_D);
        QCOMPARE(TakeSeen(),
                 (QStringList{kOpenDiff,
                              "message [Ошибка] error ok: Ошибка считывания данных из файла!"}));
        QCOMPARE(Edit("diffPath")->text(), FromFileName(missing));
        QCOMPARE(window_->state().diffPath(), missing);
        QVERIFY(!Button("save")->isEnabled());
    }

    void wholeRoadSavesWhatTheEngineComposes() {
        OpenGoodDiff();
        const std::string image = test::CountingBytes(100);
        Choose(Put("small.bin", image));
        Answer(QMessageBox::Ok);
        PressAlt(Qt::Key_B);

        test::TypeText(Edit("title"), QStringLiteral("Громкость"));
        SetTyped(Edit("version"), QStringLiteral("12"));
        test::TypeText(Edit("description"), QStringLiteral("Громче \"звонок\" <b>"));
        Combo("group")->setFocus();
        QTest::keyClick(Combo("group"), Qt::Key_Down);  // picks the first entry
        Combo("firmware")->lineEdit()->selectAll();
        test::TypeText(Combo("firmware"), QStringLiteral("E250A"));

        Answer(QMessageBox::Ok);
        Choose(dir_->File("Громкость"));
        Answer(QMessageBox::Ok);
        PressAlt(Qt::Key_S);
        QCOMPARE(TakeSeen(), (QStringList{kOpenDiff, kOpenBin,
                                          "message [Ошибка] error ok: Некорректный BIN-файл!",
                                          kNoImage, kSave, kSaved}));

        const std::string saved = test::ReadFile(dir_->File("Громкость.smp"));
        const std::size_t at = saved.find(" id=\"");
        QVERIFY(at != std::string::npos);
        const std::string id = saved.substr(at + 5, 8);
        QVERIFY2(IsPatchId(id), id.c_str());
        PatchInfo info;
        info.formatVersion = "0.3";
        info.title = W("Громкость");
        info.group = W("арбуз");
        info.version = 12;
        info.description = W("Громче \"звонок\" <b>");
        info.author = {"Nick", "Full", "e@x", "http://w/", "7"};
        info.firmware = "E250A";
        const LoadedFile diff = LoadedFile::FromBytes(diffBytes_);
        const LoadedFile img = LoadedFile::FromBytes(image);
        QCOMPARE(saved, ComposeSmpPatchWithId(info, id, diff, &img).text);
        QVERIFY(saved.find("from=\"1011\"") != std::string::npos);
        QVERIFY(Button("save")->isEnabled());
    }

    void cancelThenEmptyFirmwareStopWithoutWriting() {
        OpenGoodDiff();
        TakeSeen();
        Answer(QMessageBox::Cancel);
        QTest::mouseClick(Button("save"), Qt::LeftButton);
        QCOMPARE(TakeSeen(), QStringList{kNoImage});

        Combo("firmware")->setEditText(QString());
        Answer(QMessageBox::Ok);
        Answer(QMessageBox::Ok);
        QTest::mouseClick(Button("save"), Qt::LeftButton);
        QCOMPARE(TakeSeen(), (QStringList{kNoImage,
                                          "message [Предупреждение] warning ok: Укажите прошивку, "
                                          "для которой будет использоваться патч!"}));
        QCOMPARE(QApplication::focusWidget(), Combo("firmware"));
        QStringList files = QDir(FromFileName(dir_->path())).entryList(QDir::Files);
        files.sort();
        QCOMPARE(files, (QStringList{"Quorrel.ini", "good.dif"}));
    }

    void failedWriteShowsTheCauseWithTheStopIcon() {
        OpenGoodDiff();
        TakeSeen();
        // The user picks a name that leads to a full disk.
        const std::string link = dir_->File("full.smp");
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), FromFileName(link)));
        Answer(QMessageBox::Ok);
        Choose(link);
        Answer(QMessageBox::Ok);
        QTest::mouseClick(Button("save"), Qt::LeftButton);
        QCOMPARE(TakeSeen().last(),
                 QStringLiteral("message [%1] error ok: Диск переполнен в процессе обращения к %2.")
                     .arg(AppName(), FromFileName(link)));
    }

    void invalidVersionAtEnterFocusesAndSelectsIt() {
        SetTyped(Edit("version"), QStringLiteral("-1"));
        Answer(QMessageBox::Ok);
        QTest::keyClick(Edit("title"), Qt::Key_Return);
        QCOMPARE(TakeSeen(), QStringList{"message [" + AppName() +
                                         "] warning ok: Введите целое положительное число."});
        QVERIFY(window_->isVisible());
        QCOMPARE(QApplication::focusWidget(), Edit("version"));
        QCOMPARE(Edit("version")->selectedText(), QStringLiteral("-1"));
    }

    void everyTypedChangeWithABadVersionShowsTheMessage() {
        SetTyped(Edit("version"), QStringLiteral("x"));
        Answer(QMessageBox::Ok);
        Answer(QMessageBox::Ok);
        test::TypeText(Edit("title"), QStringLiteral("ab"));
        QCOMPARE(TakeSeen().size(), qsizetype(2));
        // A refused character changes nothing, so it is no change either.
        test::TypeText(Edit("title"), QStringLiteral("中"));
        QCOMPARE(TakeSeen(), QStringList{});
        // The program's own writes are no user change.
        window_->SetText(ControlId::Title, "cd");
        window_->SetText(ControlId::Description, "ef");
        QCOMPARE(TakeSeen(), QStringList{});
    }

    void enterOnAButtonPressesIt() {
        Button("openDiff")->setFocus();
        Choose("");
        QTest::keyClick(Button("openDiff"), Qt::Key_Return);
        QCOMPARE(TakeSeen(), QStringList{kOpenDiff});
        QCOMPARE(Edit("diffPath")->text(), QString());
        QVERIFY(window_->isVisible());
        Button("about")->setFocus();
        script_.push_back([this](QDialog& dialog) {
            seen_ << dialog.windowTitle();
            return int(QDialog::Accepted);
        });
        QTest::keyClick(Button("about"), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(TakeSeen(), QStringList{"О программе"});
        QVERIFY(window_->isVisible());
    }

    void enterInAFieldEndsTheWindowWithGoodFields() {
        QSignalSpy finished(window_.get(), &QDialog::finished);
        test::TypeText(Edit("title"), QStringLiteral("t"));
        QTest::keyClick(Edit("title"), Qt::Key_Return);
        QCOMPARE(finished.count(), 1);
        QVERIFY(!window_->isVisible());
        QCOMPARE(window_->state().title(), std::string("t"));
    }

    void enterInAComboBoxEndsTheWindowAndInsertsNothing() {
        QSignalSpy finished(window_.get(), &QDialog::finished);
        test::TypeText(Combo("group"), QStringLiteral("новая"));
        QTest::keyClick(Combo("group")->lineEdit(), Qt::Key_Return);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(Combo("group")->count(), 3);
    }

    void escapeEndsAtOnce() {
        QSignalSpy finished(window_.get(), &QDialog::finished);
        SetTyped(Edit("version"), QStringLiteral("bad"));
        QTest::keyClick(Edit("version"), Qt::Key_Escape);
        QCOMPARE(finished.count(), 1);
        QVERIFY(!window_->isVisible());
    }

    // A drop as the desktop delivers it: the drag enters the widget under the pointer first.
    bool Drop(QWidget* target, const QList<QUrl>& urls) {
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

    static QUrl FileUrl(const std::string& name) { return QUrl::fromLocalFile(FromFileName(name)); }

    void droppedFilesOpenInTheirOrderWhereverTheyLand() {
        const std::string diff = Put("сброшен.dif", test::DiffBuilder("DROP-FW").bytes());
        const std::string image = Put("IMAGE.BIN", test::CountingBytes(100));
        Answer(QMessageBox::Ok);
        // On the title field: the window opens the files, the field takes no text.
        QVERIFY(Drop(Edit("title"), {FileUrl(diff), FileUrl(image)}));
        QCOMPARE(TakeSeen(), QStringList{"message [Ошибка] error ok: Некорректный BIN-файл!"});
        QCOMPARE(Edit("title")->text(), QString());
        QCOMPARE(Edit("diffPath")->text(), FromFileName(diff));
        QCOMPARE(Edit("imagePath")->text(), FromFileName(image));
        // An unlisted firmware name is shown, not added to the list.
        QCOMPARE(Combo("firmware")->currentText(), QStringLiteral("DROP-FW"));
        QCOMPARE(Combo("firmware")->count(), 4);
        QVERIFY(Button("save")->isEnabled());
        QCOMPARE(window_->state().image().size(), 100u);

        // A later DIFF replaces the first, whatever it lands on.
        const std::string other = Put("other.dif", test::DiffBuilder("OTHER").bytes());
        QVERIFY(Drop(Button("about"), {FileUrl(other)}));
        QCOMPARE(window_->state().diffPath(), other);
        QCOMPARE(Combo("firmware")->currentText(), QStringLiteral("OTHER"));
    }

    void dropsWithoutLocalFilesAreRefused() {
        QVERIFY(!Drop(window_.get(), {QUrl(QStringLiteral("https://example.org/a.dif"))}));
        QVERIFY(!Drop(window_.get(), {}));
        QCOMPARE(Edit("diffPath")->text(), QString());
        QCOMPARE(window_->state().diffPath(), std::string());
    }

    void closeBoxReleasesTheFilesAndEnds() {
        OpenGoodDiff();
        TakeSeen();
        QVERIFY(!window_->state().diff().failed());
        QSignalSpy finished(window_.get(), &QDialog::finished);
        QVERIFY(window_->close());
        QCOMPARE(finished.count(), 1);
        QVERIFY(window_->state().diff().failed());
        QVERIFY(window_->state().image().failed());
    }

    void charactersWithoutAWindows1251FormAreRefused() {
        test::TypeText(Edit("title"), QStringLiteral("Пр中и😀вет"));
        QCOMPARE(Edit("title")->text(), QStringLiteral("Привет"));
        QCOMPARE(window_->state().title(), W("Привет"));
        Edit("description")->setFocus();
        QApplication::clipboard()->setText(QStringLiteral("a中b"));
        Edit("description")->paste();
        QCOMPARE(Edit("description")->text(), QStringLiteral("ab"));
        test::TypeText(Combo("firmware"), QStringLiteral("E中1"));
        QCOMPARE(window_->Text(ControlId::Firmware), std::string("E1"));
    }

    void textCrossesTheCodecAndNamesDoNot() {
        window_->SetText(ControlId::Title, W("Ёлка №2"));
        QCOMPARE(Edit("title")->text(), QStringLiteral("Ёлка №2"));
        QCOMPARE(window_->Text(ControlId::Title), W("Ёлка №2"));
        // A name that is not even valid UTF-8 comes back byte for byte.
        const std::string odd = dir_->File("\xFF\xFE.dif");
        window_->SetText(ControlId::DiffPath, odd);
        QCOMPARE(window_->Text(ControlId::DiffPath), odd);
        const std::string cyrillic = dir_->File("прошивка.dif");
        window_->SetText(ControlId::ImagePath, cyrillic);
        QCOMPARE(Edit("imagePath")->text(), FromFileName(cyrillic));
        QCOMPARE(window_->Text(ControlId::ImagePath), cyrillic);
    }

    void aboutBoxFromItsButtonAnyNumberOfTimes() {
        for (int round = 0; round < 2; ++round) {
            Expect<AboutBox>([this](AboutBox& box) {
                box.show();
                QStringList texts;
                for (const QLabel* label : box.findChildren<QLabel*>()) {
                    if (!label->text().isEmpty()) {
                        texts << label->text();
                    } else if (!label->pixmap().isNull()) {
                        texts << QStringLiteral("<icon>");
                    }
                }
                const QString joined = texts.join('|');
                const QPushButton* ok = box.findChild<QPushButton*>(QStringLiteral("aboutOk"));
                const int offset =
                    (box.frameGeometry().center() - window_->frameGeometry().center())
                        .manhattanLength();
                seen_ << box.windowTitle() << joined.left(20) << QString::number(joined.count('\n'))
                      << (ok != nullptr && ok->isDefault() ? "ok default" : "no default ok")
                      << (offset <= 2 ? "centred" : "off by " + QString::number(offset));
                box.accept();
                return box.result();
            });
            QTest::mouseClick(Button("about"), Qt::LeftButton);
            // Four lines of credits: three line breaks.
            QCOMPARE(TakeSeen(), (QStringList{"О программе", "<icon>|Quorrel v2.0|", "3",
                                              "ok default", "centred"}));
        }
    }
};

QTEST_MAIN(QtMainWindowTest)
#include "QtMainWindowTest.moc"
