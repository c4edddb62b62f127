#pragma once

#include <QDialog>
#include <QIcon>

namespace quorrel::qt {

// The modal box with the program's name, version and credits. Qt centres it over its owner,
// inside the owner's screen.
class AboutBox : public QDialog {
  public:
    AboutBox(QWidget* owner, const QIcon& icon);
};

}  // namespace quorrel::qt
