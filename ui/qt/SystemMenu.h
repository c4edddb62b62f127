#pragma once

// The window system menu's About entry; only the Windows desktop has such a menu.
#ifdef Q_OS_WIN

class QWidget;

namespace quorrel::qt {

// A separator and the About entry, when the window has a system menu and the entry's text is
// not empty.
void AppendAboutEntry(QWidget& window);
// Whether a native message is the system menu's About command.
bool IsAboutCommand(const void* message);

}  // namespace quorrel::qt

#endif
