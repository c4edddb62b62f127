#include <QtGlobal>

#ifdef Q_OS_WIN

#include <windows.h>

#include <QWidget>
#include <string>

#include "Cp1251Qt.h"
#include "ResourceStrings.h"
#include "SystemMenu.h"

namespace quorrel::qt {

void AppendAboutEntry(QWidget& window) {
    HMENU menu = GetSystemMenu(reinterpret_cast<HWND>(window.winId()), FALSE);
    const std::wstring entry = FromCp1251(layout::kSystemMenuAbout).toStdWString();
    if (menu == nullptr || entry.empty()) {
        return;
    }
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, layout::kSystemMenuAboutCommand, entry.c_str());
}

bool IsAboutCommand(const void* message) {
    const auto* msg = static_cast<const MSG*>(message);
    return msg->message == WM_SYSCOMMAND &&
           (msg->wParam & 0xFFF0u) == layout::kSystemMenuAboutCommand;
}

}  // namespace quorrel::qt

#endif
