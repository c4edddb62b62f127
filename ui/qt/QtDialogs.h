#pragma once

#include <QFileDialog>
#include <QMessageBox>
#include <memory>
#include <string_view>

#include "WindowView.h"

namespace quorrel::qt {

// A message box owned by `owner`, with the icon and buttons of the request; OK is the default.
std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* owner, std::string_view text,
                                            std::string_view caption, MessageIcon icon,
                                            MessageButtons buttons);
MessageAnswer AnswerOf(int result);

// Qt's own file dialog, so that filters, overwrite confirmation and the added extension behave
// the same on every desktop.
std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* owner, const FileChoice& choice);
// The Qt pattern for a chooser pattern: "*.*" matches names without a dot too.
QString QtPattern(std::string_view pattern);

}  // namespace quorrel::qt
