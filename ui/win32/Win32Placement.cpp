#include "Win32Placement.h"

namespace quorrel::win32 {

namespace {

RECT WorkAreaOf(HWND window) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

LONG Clamp(LONG value, LONG low, LONG high) {
    // A window larger than the area keeps its top or left edge inside it.
    return value > high ? (high > low ? high : low) : (value < low ? low : value);
}

void MoveTo(HWND window, LONG x, LONG y) {
    ::SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void CenterInWorkArea(HWND window) {
    RECT frame{};
    ::GetWindowRect(window, &frame);
    const RECT area = WorkAreaOf(window);
    MoveTo(window, area.left + (area.right - area.left - (frame.right - frame.left)) / 2,
           area.top + (area.bottom - area.top - (frame.bottom - frame.top)) / 2);
}

void CenterOverOwner(HWND window, HWND owner) {
    if (owner == nullptr || !::IsWindowVisible(owner) || ::IsIconic(owner)) {
        CenterInWorkArea(window);
        return;
    }
    RECT frame{};
    RECT over{};
    ::GetWindowRect(window, &frame);
    ::GetWindowRect(owner, &over);
    const LONG width = frame.right - frame.left;
    const LONG height = frame.bottom - frame.top;
    const RECT area = WorkAreaOf(owner);
    const LONG x = (over.left + over.right) / 2 - width / 2;
    const LONG y = (over.top + over.bottom) / 2 - height / 2;
    MoveTo(window, Clamp(x, area.left, area.right - width),
           Clamp(y, area.top, area.bottom - height));
}

}  // namespace quorrel::win32
