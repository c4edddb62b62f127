#pragma once

#include <QIcon>

namespace quorrel::qt {

// The program's icon in all its drawn sizes.
QIcon ProgramIcon();

}  // namespace quorrel::qt
