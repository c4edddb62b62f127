#include "QtDialogs.h"

#include <QStringList>

#include "Cp1251Qt.h"

namespace quorrel::qt {

namespace {

QMessageBox::Icon QtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Error:
            return QMessageBox::Critical;
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::Information:
            return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* owner, std::string_view text,
                                            std::string_view caption, MessageIcon icon,
                                            MessageButtons buttons) {
    auto box = std::make_unique<QMessageBox>(owner);
    box->setIcon(QtIcon(icon));
    box->setWindowTitle(FromCp1251(caption));
    // Paths and field values may hold "<" and "&"; they are shown, never interpreted.
    box->setTextFormat(Qt::PlainText);
    box->setText(ForDisplay(text));
    if (buttons == MessageButtons::OkCancel) {
        box->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box->setEscapeButton(QMessageBox::Cancel);
    } else {
        box->setStandardButtons(QMessageBox::Ok);
        box->setEscapeButton(QMessageBox::Ok);
    }
    box->setDefaultButton(QMessageBox::Ok);
    return box;
}

MessageAnswer AnswerOf(int result) {
    return result == QMessageBox::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
}

QString QtPattern(std::string_view pattern) {
    if (pattern == "*.*") {
        return QStringLiteral("*");
    }
    return FromCp1251(pattern);
}

std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* owner, const FileChoice& choice) {
    auto dialog = std::make_unique<QFileDialog>(owner);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    // Each filter's label already names its pattern; Qt's own would show a second one.
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->setAcceptMode(choice.forOpening ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    QStringList filters;
    for (const FileFilter& filter : choice.filters) {
        filters << FromCp1251(filter.label) + QStringLiteral(" (") + QtPattern(filter.pattern) +
                       QStringLiteral(")");
    }
    dialog->setNameFilters(filters);
    if (!filters.isEmpty()) {
        dialog->selectNameFilter(filters.first());
    }
    // An open chooser takes a typed name as it is: "Все файлы" must reach names without a dot.
    const std::string_view extension = choice.defaultExtension;
    if (!choice.forOpening && extension.starts_with("*.") && extension != "*.*") {
        dialog->setDefaultSuffix(FromCp1251(extension.substr(2)));
    }
    const QString initial = FromFileName(choice.initialName);
    if (!initial.isEmpty()) {
        dialog->selectFile(initial.left(static_cast<qsizetype>(kMaxChooserName)));
    }
    return dialog;
}

}  // namespace quorrel::qt
