#pragma once

#include <QComboBox>
#include <string>
#include <string_view>

namespace quorrel::qt {

// An editable combo box whose list is sorted without regard to letter case by the
// Windows-1251 collation and keeps duplicates. It inserts nothing by itself and does not
// complete what the user types; adding and clearing entries leave the edit text alone.
class ListComboBox : public QComboBox {
  public:
    explicit ListComboBox(QWidget* parent = nullptr);

    void AddEntry(std::string_view text);
    void ClearEntries();
    // The whole height while dropped down, text field included.
    void SetDroppedHeight(int height) { droppedHeight_ = height; }
    int droppedHeight() const { return droppedHeight_; }

    void showPopup() override;

  private:
    void KeepEditText(const auto& change);

    int droppedHeight_ = 0;
};

}  // namespace quorrel::qt
