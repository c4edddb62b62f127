#pragma once

#include <windows.h>

namespace quorrel::win32 {

// The whole window, frame included, in the middle of the work area of the monitor that holds it.
void CenterInWorkArea(HWND window);
// The window centred over its owner, moved as little as needed to stay inside the work area of
// the owner's monitor.
void CenterOverOwner(HWND window, HWND owner);

}  // namespace quorrel::win32
