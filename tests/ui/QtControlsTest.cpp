#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include "Cp1251.h"
#include "Cp1251Qt.h"
#include "Cp1251Validator.h"
#include "DialogUnits.h"
#include "ListComboBox.h"
#include "QtDialogs.h"
#include "TypeText.h"

using namespace quorrel;
using namespace quorrel::qt;

namespace {

std::string W(const char* utf8) {
    return cp1251::FromUtf8(utf8).text;
}

}  // namespace

class QtControlsTest : public QObject {
    Q_OBJECT

  private slots:
    void codecRoundTripsEveryByteAndLeavesNamesAlone() {
        std::string all;
        for (int b = 0; b < 256; ++b) {
            all.push_back(static_cast<char>(b));
        }
        const QString text = FromCp1251(all);
        QCOMPARE(text.size(), qsizetype(256));
        QCOMPARE(ToCp1251(text), all);
        QCOMPARE(FromCp1251(W("Ёжик №1")), QStringLiteral("Ёжик №1"));
        // What has no form is left out, or marked where a name must show it.
        const QString mixed = QStringLiteral("a中b😀c€");
        QCOMPARE(ToCp1251(mixed), std::string("abc\x88"));
        QCOMPARE(ToCp1251Marked(mixed), std::string("a?b?c\x88"));
        QCOMPARE(KeepCp1251(mixed), QStringLiteral("abc€"));
        QCOMPARE(ForDisplay("one\r\ntwo"), QStringLiteral("one\ntwo"));
        // File names never pass the codec.
        const std::string name =
            "/tmp/\xD0\xBF\xD1\x80\xD0\xBE\xD0\xB1\xD0\xB0.dif";  // UTF-8 "проба"
        QCOMPARE(FromFileName(name), QStringLiteral("/tmp/проба.dif"));
        QCOMPARE(ToFileName(QStringLiteral("/tmp/проба.dif")), name);
    }

    void validatorRefusesTypedCharactersWithoutFormAndTakesTheRestOfAPaste() {
        QLineEdit edit;
        edit.setValidator(new Cp1251Validator(&edit));
        test::TypeText(&edit, QStringLiteral("П中р€и"));
        QCOMPARE(edit.text(), QStringLiteral("Пр€и"));
        QCOMPARE(edit.cursorPosition(), 4);

        edit.setText(QStringLiteral("[]"));
        edit.setCursorPosition(1);
        QApplication::clipboard()->setText(QStringLiteral("x中y😀z"));
        edit.paste();
        QCOMPARE(edit.text(), QStringLiteral("[xyz]"));
        QCOMPARE(edit.cursorPosition(), 4);
    }

    void comboSortsIgnoringCaseAndKeepsDuplicates() {
        const struct {
            QStringList added;
            QStringList listed;
        } cases[] = {{{"Жук", "ель", "Ёж", "альфа", "бета", "Альфа", "zeta", "Alpha"},
                      {"Alpha", "zeta", "альфа", "Альфа", "бета", "ель", "Ёж", "Жук"}},
                     {{"E250D", "E250C", "E250B", "E250A", "E250A"},
                      {"E250A", "E250A", "E250B", "E250C", "E250D"}}};
        for (const auto& c : cases) {
            ListComboBox combo;
            for (const QString& entry : c.added) {
                combo.AddEntry(ToCp1251(entry));
            }
            QStringList listed;
            for (int i = 0; i < combo.count(); ++i) {
                listed << combo.itemText(i);
            }
            QCOMPARE(listed, c.listed);
        }
    }

    void comboKeepsTheEditTextThroughListChangesAndInsertsNothing() {
        ListComboBox combo;
        combo.setEditText(QStringLiteral("typed"));
        combo.AddEntry("first");
        combo.AddEntry("second");
        QCOMPARE(combo.currentText(), QStringLiteral("typed"));
        QCOMPARE(combo.currentIndex(), -1);
        combo.ClearEntries();
        QCOMPARE(combo.currentText(), QStringLiteral("typed"));
        QCOMPARE(combo.count(), 0);

        combo.AddEntry(W("Звук"));
        combo.setEditText(QString());
        combo.show();
        QVERIFY(QTest::qWaitForWindowActive(&combo));
        combo.setFocus();
        test::TypeText(combo.lineEdit(), QStringLiteral("Зв中"));
        QCOMPARE(combo.currentText(), QStringLiteral("Зв"));
        QTest::keyClick(&combo, Qt::Key_Return);
        QCOMPARE(combo.count(), 1);
        QCOMPARE(combo.currentText(), QStringLiteral("Зв"));
    }

    void dialogUnitsMapEdgesAndWidenToFit() {
        DialogUnits units(6, 13);
        QCOMPARE(units.Map(DialogRect{7, 17, 155, 13}), QRect(11, 28, 232, 21));
        QCOMPARE(units.Map(259, 161), QSize(389, 262));
        // Neighbours that touch in units touch in pixels.
        const QRect left = units.Map(DialogRect{7, 0, 3, 1});
        const QRect right = units.Map(DialogRect{10, 0, 3, 1});
        QCOMPARE(left.x() + left.width(), right.x());

        units.Fit(DialogRect{0, 0, 29, 10}, QSize(60, 20));
        QVERIFY2(units.Map(DialogRect{155, 88, 29, 10}).width() >= 60,
                 qPrintable(QString::number(units.baseX())));
        QVERIFY(units.Map(DialogRect{155, 88, 29, 10}).height() >= 20);
        const double widened = units.baseX();
        units.Fit(DialogRect{0, 0, 100, 10}, QSize(10, 1));
        QCOMPARE(units.baseX(), widened);
    }

    void dialogUnitsFollowTheFont() {
        QFont font = QApplication::font();
        font.setPixelSize(10);
        const DialogUnits small = DialogUnits::FromFont(QFontMetrics(font));
        font.setPixelSize(20);
        const DialogUnits large = DialogUnits::FromFont(QFontMetrics(font));
        QVERIFY2(large.baseX() > small.baseX() && large.baseY() > small.baseY(),
                 qPrintable(QString::asprintf("%gx%g vs %gx%g", small.baseX(), small.baseY(),
                                              large.baseX(), large.baseY())));
    }

    void messageBoxesCarryIconButtonsAndPlainText() {
        struct Case {
            MessageIcon icon;
            MessageButtons buttons;
            QMessageBox::Icon qtIcon;
            QMessageBox::StandardButtons qtButtons;
            QMessageBox::StandardButton escape;
        };
        const Case cases[] = {{MessageIcon::Error, MessageButtons::Ok, QMessageBox::Critical,
                               QMessageBox::Ok, QMessageBox::Ok},
                              {MessageIcon::Warning, MessageButtons::OkCancel, QMessageBox::Warning,
                               QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel},
                              {MessageIcon::Information, MessageButtons::Ok,
                               QMessageBox::Information, QMessageBox::Ok, QMessageBox::Ok}};
        for (const Case& c : cases) {
            const auto box =
                MakeMessageBox(nullptr, W("<b>Строка</b>\r\n&2"), W("Ошибка"), c.icon, c.buttons);
            QCOMPARE(box->icon(), c.qtIcon);
            QCOMPARE(box->standardButtons(), c.qtButtons);
            QCOMPARE(box->defaultButton(), box->button(QMessageBox::Ok));
            QCOMPARE(box->escapeButton(), box->button(c.escape));
            QCOMPARE(box->windowTitle(), QStringLiteral("Ошибка"));
            QCOMPARE(box->text(), QStringLiteral("<b>Строка</b>\n&2"));
            QCOMPARE(box->textFormat(), Qt::PlainText);
        }
        QCOMPARE(AnswerOf(QMessageBox::Ok), MessageAnswer::Ok);
        QCOMPARE(AnswerOf(QMessageBox::Cancel), MessageAnswer::Cancel);
    }

    void fileDialogFiltersAndModes() {
        FileChoice choice;
        choice.forOpening = true;
        choice.initialName = "/tmp/start.dif";
        choice.filters = {{W("DIFF файлы (*.dif)"), "*.dif"}, {W("Все файлы (*.*)"), "*.*"}};
        choice.defaultExtension = "*.dif";
        const auto open = MakeFileDialog(nullptr, choice);
        QCOMPARE(open->acceptMode(), QFileDialog::AcceptOpen);
        QCOMPARE(open->fileMode(), QFileDialog::AnyFile);
        QVERIFY(open->testOption(QFileDialog::DontUseNativeDialog));
        QVERIFY(open->testOption(QFileDialog::HideNameFilterDetails));
        QCOMPARE(open->nameFilters(), (QStringList{QStringLiteral("DIFF файлы (*.dif) (*.dif)"),
                                                   QStringLiteral("Все файлы (*.*) (*)")}));
        // Qt shows and reports each filter by its label alone.
        QCOMPARE(open->selectedNameFilter(), QStringLiteral("DIFF файлы (*.dif)"));
        QCOMPARE(open->defaultSuffix(), QString());
        QCOMPARE(open->directory().absolutePath(), QStringLiteral("/tmp"));

        choice.forOpening = false;
        choice.initialName = std::string(300, 'n');
        choice.defaultExtension = "*.smp";
        const auto save = MakeFileDialog(nullptr, choice);
        QCOMPARE(save->acceptMode(), QFileDialog::AcceptSave);
        QCOMPARE(save->defaultSuffix(), QStringLiteral("smp"));
        QVERIFY(!save->testOption(QFileDialog::DontConfirmOverwrite));
        const QStringList typed = save->selectedFiles();
        QCOMPARE(typed.size(), qsizetype(1));
        QCOMPARE(QFileInfo(typed.first()).fileName(), QString(259, 'n') + ".smp");
    }
};

QTEST_MAIN(QtControlsTest)
#include "QtControlsTest.moc"
