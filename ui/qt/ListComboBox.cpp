#include "ListComboBox.h"

#include <QAbstractItemView>
#include <QByteArray>
#include <QLineEdit>
#include <algorithm>

#include "Cp1251.h"
#include "Cp1251Qt.h"
#include "Cp1251Validator.h"

namespace quorrel::qt {

namespace {

constexpr int kBytesRole = Qt::UserRole;

std::string EntryBytes(const QComboBox& combo, int index) {
    return combo.itemData(index, kBytesRole).toByteArray().toStdString();
}

}  // namespace

ListComboBox::ListComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setDuplicatesEnabled(true);
    setCompleter(nullptr);
    lineEdit()->setValidator(new Cp1251Validator(this));
}

void ListComboBox::KeepEditText(const auto& change) {
    const QString text = currentText();
    const int current = currentIndex();
    change();
    if (current < 0) {
        setCurrentIndex(-1);
    }
    setEditText(text);
}

void ListComboBox::AddEntry(std::string_view text) {
    // After the entries that sort equal, so duplicates keep the order they came in.
    int low = 0;
    int high = count();
    while (low < high) {
        const int mid = low + (high - low) / 2;
        if (cp1251::CompareNoCase(EntryBytes(*this, mid), text) <= 0) {
            low = mid + 1;
        } else {
            high = mid;
        }
    }
    KeepEditText([&] {
        insertItem(low, FromCp1251(text));
        setItemData(low, QByteArray(text.data(), static_cast<qsizetype>(text.size())), kBytesRole);
    });
}

void ListComboBox::ClearEntries() {
    KeepEditText([&] { clear(); });
}

void ListComboBox::showPopup() {
    if (droppedHeight_ > 0 && count() > 0) {
        const int row = std::max(1, view()->sizeHintForRow(0));
        setMaxVisibleItems(std::max(1, (droppedHeight_ - height()) / row));
    }
    QComboBox::showPopup();
}

}  // namespace quorrel::qt
