#include "Win32EditFilter.h"

#include <commctrl.h>

#include <string>

#include "Win32Text.h"

namespace quorrel::win32 {

namespace {

constexpr UINT_PTR kFilterId = 0x1251;

std::wstring ClipboardText(HWND owner) {
    std::wstring text;
    if (!::OpenClipboard(owner)) {
        return text;
    }
    if (const HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = chars;
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

LRESULT CALLBACK FilterProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                            DWORD_PTR) {
    switch (message) {
        case WM_CHAR:
        case WM_IME_CHAR: {
            const auto unit = static_cast<wchar_t>(wParam);
            // Control characters (Backspace, Ctrl+letters) are editing keys, not text.
            if (unit >= L' ' && !HasCp1251Form(unit)) {
                return 0;
            }
            break;
        }
        case WM_PASTE: {
            const std::wstring pasted = ClipboardText(edit);
            const std::wstring kept = KeepCp1251(pasted);
            if (kept != pasted) {
                if (!kept.empty()) {
                    ::SendMessageW(edit, EM_REPLACESEL, TRUE,
                                   reinterpret_cast<LPARAM>(kept.c_str()));
                }
                return 0;
            }
            break;
        }
        case WM_NCDESTROY:
            ::RemoveWindowSubclass(edit, FilterProc, kFilterId);
            break;
        default:
            break;
    }
    return ::DefSubclassProc(edit, message, wParam, lParam);
}

}  // namespace

void RefuseNonCp1251(HWND edit) {
    if (edit != nullptr) {
        ::SetWindowSubclass(edit, FilterProc, kFilterId, 0);
    }
}

}  // namespace quorrel::win32
