#include "ProgramIcon.h"

#include <QString>

namespace quorrel::qt {

QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/quorrel/icons/quorrel-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

}  // namespace quorrel::qt
