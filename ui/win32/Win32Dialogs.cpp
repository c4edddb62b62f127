#include "Win32Dialogs.h"

#include <commdlg.h>

#include <vector>

#include "Win32Placement.h"
#include "Win32ResourceIds.h"
#include "Win32Text.h"

namespace quorrel::win32 {

namespace {

// Room for any path the file system takes, not only the old 260 characters.
constexpr std::size_t kChooserBuffer = 32768;

UINT IconFlag(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Error:
            return MB_ICONERROR;
        case MessageIcon::Warning:
            return MB_ICONWARNING;
        case MessageIcon::Information:
            return MB_ICONINFORMATION;
    }
    return 0;
}

INT_PTR CALLBACK AboutProc(HWND box, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            CenterOverOwner(box, ::GetWindow(box, GW_OWNER));
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                ::EndDialog(box, LOWORD(wParam));
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

std::wstring ChooserFilter(const FileChoice& choice) {
    std::wstring filter;
    for (const FileFilter& entry : choice.filters) {
        filter += WideFromCp1251(entry.label);
        filter += L'\0';
        filter += WideFromCp1251(entry.pattern);
        filter += L'\0';
    }
    filter += L'\0';
    return filter;
}

MessageAnswer Win32Dialogs::Message(HWND owner, std::string_view text, std::string_view caption,
                                    MessageIcon icon, MessageButtons buttons) {
    const UINT flags = IconFlag(icon) | (buttons == MessageButtons::OkCancel ? MB_OKCANCEL : MB_OK);
    const int answer =
        ::MessageBoxW(owner, WideFromCp1251(text).c_str(), WideFromCp1251(caption).c_str(), flags);
    return answer == IDOK ? MessageAnswer::Ok : MessageAnswer::Cancel;
}

std::string Win32Dialogs::ChooseFile(HWND owner, const FileChoice& choice) {
    std::vector<wchar_t> buffer(kChooserBuffer, L'\0');
    std::wstring initial = WideFromName(choice.initialName);
    if (initial.size() > kMaxChooserName) {
        initial.resize(kMaxChooserName);
    }
    initial.copy(buffer.data(), initial.size());
    const std::wstring filter = ChooserFilter(choice);
    std::wstring extension = WideFromCp1251(choice.defaultExtension);
    if (extension.rfind(L"*.", 0) == 0) {
        extension.erase(0, 2);
    }

    OPENFILENAMEW request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.lpstrFilter = filter.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = buffer.data();
    request.nMaxFile = static_cast<DWORD>(buffer.size());
    request.lpstrDefExt = extension.empty() || extension == L"*" ? nullptr : extension.c_str();
    request.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_NOCHANGEDIR;
    BOOL chosen = FALSE;
    if (choice.forOpening) {
        chosen = ::GetOpenFileNameW(&request);
    } else {
        request.Flags |= OFN_OVERWRITEPROMPT;
        chosen = ::GetSaveFileNameW(&request);
    }
    return chosen ? NameFromWide(buffer.data()) : std::string();
}

void Win32Dialogs::About(HWND owner) {
    ::DialogBoxParamW(instance_, MAKEINTRESOURCEW(QUORREL_IDD_ABOUT), owner, AboutProc, 0);
}

}  // namespace quorrel::win32
