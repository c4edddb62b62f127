#include "Win32MainWindow.h"

#include <vector>

#include "ResourceStrings.h"
#include "Win32EditFilter.h"
#include "Win32Placement.h"
#include "Win32ResourceIds.h"
#include "Win32Text.h"

namespace quorrel::win32 {

namespace {

std::wstring WindowText(HWND control) {
    const int length = ::GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int n = ::GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(n < 0 ? 0 : n));
    return text;
}

std::wstring ExecutablePath() {
    std::vector<wchar_t> buffer(32768);
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    return std::wstring(buffer.data(), n < buffer.size() ? n : 0);
}

bool IsCombo(ControlId id) {
    return id == ControlId::Group || id == ControlId::Firmware;
}

}  // namespace

Win32MainWindow::Win32MainWindow(SettingsFile settings, Win32Dialogs& dialogs)
    : dialogs_(dialogs), state_(*this, std::move(settings)) {}

Win32MainWindow::~Win32MainWindow() {
    if (window_ != nullptr && !modal_) {
        ::DestroyWindow(window_);
    }
    if (smallIcon_ != nullptr) {
        ::DestroyIcon(smallIcon_);
    }
}

void Win32MainWindow::RunModal() {
    modal_ = true;
    ::DialogBoxParamW(dialogs_.instance(), MAKEINTRESOURCEW(QUORREL_IDD_MAIN), nullptr, DialogProc,
                      reinterpret_cast<LPARAM>(this));
    window_ = nullptr;
    ended_ = true;
}

HWND Win32MainWindow::CreateModeless() {
    modal_ = false;
    const HWND window =
        ::CreateDialogParamW(dialogs_.instance(), MAKEINTRESOURCEW(QUORREL_IDD_MAIN), nullptr,
                             DialogProc, reinterpret_cast<LPARAM>(this));
    if (window != nullptr) {
        ::ShowWindow(window, SW_SHOW);
    }
    return window;
}

INT_PTR CALLBACK Win32MainWindow::DialogProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<Win32MainWindow*>(lParam);
        ::SetWindowLongPtrW(window, DWLP_USER, lParam);
        self->Initialize(window);
        return FALSE;  // the first showing has put the focus where it belongs
    }
    auto* self = reinterpret_cast<Win32MainWindow*>(::GetWindowLongPtrW(window, DWLP_USER));
    return self == nullptr ? FALSE : self->Handle(message, wParam, lParam);
}

void Win32MainWindow::Initialize(HWND window) {
    window_ = window;
    for (const ControlId id : {ControlId::Title, ControlId::Version, ControlId::Description,
                               ControlId::Group, ControlId::Firmware}) {
        RefuseNonCp1251(EditOf(id));
    }
    CenterInWorkArea(window);
    ::DragAcceptFiles(window, TRUE);
    state_.FirstShowing();
}

INT_PTR Win32MainWindow::Handle(UINT message, WPARAM wParam, [[maybe_unused]] LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            return Command(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
        case WM_CLOSE:
            state_.Close();
            return TRUE;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0u) == layout::kSystemMenuAboutCommand) {
                ShowAbout();
                return TRUE;
            }
            return FALSE;
        case WM_PAINT:
            if (::IsIconic(window_)) {
                PaintMinimized();
                return TRUE;
            }
            return FALSE;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<INT_PTR>(icon_);
        case WM_DROPFILES:
            DropFiles(reinterpret_cast<HDROP>(wParam));
            return TRUE;
        case WM_DESTROY:
            ended_ = true;
            return FALSE;
        default:
            return FALSE;
    }
}

bool Win32MainWindow::Command(int id, int code) {
    switch (id) {
        case IDOK:  // Enter away from the push buttons
            state_.Accept();
            return true;
        case IDCANCEL:  // Escape
            state_.Cancel();
            return true;
        default:
            break;
    }
    if (code == BN_CLICKED) {
        switch (static_cast<ControlId>(id)) {
            case ControlId::OpenDiff:
                state_.OpenDiff();
                return true;
            case ControlId::OpenImage:
                state_.OpenImage();
                return true;
            case ControlId::Save:
                state_.SaveSmp();
                return true;
            case ControlId::About:
                ShowAbout();
                return true;
            default:
                return false;
        }
    }
    const auto control = static_cast<ControlId>(id);
    if (code == EN_CHANGE && programChanges_ == 0 &&
        (control == ControlId::Title || control == ControlId::Description)) {
        state_.FieldsChanged();
        return true;
    }
    return false;
}

void Win32MainWindow::DropFiles(HDROP drop) {
    std::vector<std::string> names;
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = ::DragQueryFileW(drop, i, nullptr, 0);
        std::wstring name(length + 1, L'\0');
        name.resize(::DragQueryFileW(drop, i, name.data(), length + 1));
        names.push_back(NameFromWide(name));
    }
    ::DragFinish(drop);
    state_.DropFiles(names);
}

void Win32MainWindow::PaintMinimized() {
    PAINTSTRUCT paint{};
    const HDC dc = ::BeginPaint(window_, &paint);
    ::SendMessageW(window_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client{};
    ::GetClientRect(window_, &client);
    const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, icon_);
    ::EndPaint(window_, &paint);
}

void Win32MainWindow::ShowAbout() {
    dialogs_.About(window_);
}

HWND Win32MainWindow::Control(ControlId id) const {
    return window_ == nullptr ? nullptr : ::GetDlgItem(window_, static_cast<int>(id));
}

HWND Win32MainWindow::EditOf(ControlId id) const {
    const HWND control = Control(id);
    if (control == nullptr || !IsCombo(id)) {
        return control;
    }
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    return ::GetComboBoxInfo(control, &info) ? info.hwndItem : nullptr;
}

std::string Win32MainWindow::Text(ControlId id) const {
    const HWND control = Control(id);
    if (control == nullptr) {
        return {};
    }
    const std::wstring text = WindowText(control);
    return IsPathControl(id) ? NameFromWide(text) : Cp1251FromWide(text);
}

void Win32MainWindow::SetText(ControlId id, std::string_view text) {
    const HWND control = Control(id);
    if (control == nullptr) {
        return;
    }
    const std::wstring wide = IsPathControl(id) ? WideFromName(text) : WideFromCp1251(text);
    ++programChanges_;
    ::SetWindowTextW(control, wide.c_str());
    --programChanges_;
}

void Win32MainWindow::Enable(ControlId id, bool enabled) {
    if (const HWND control = Control(id)) {
        ::EnableWindow(control, enabled ? TRUE : FALSE);
    }
}

void Win32MainWindow::Focus(ControlId id) {
    if (const HWND control = Control(id)) {
        ::SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    }
}

void Win32MainWindow::SelectAll(ControlId id) {
    if (const HWND edit = EditOf(id)) {
        ::SendMessageW(edit, EM_SETSEL, 0, -1);
    }
}

int Win32MainWindow::Height(ControlId id) const {
    RECT rect{};
    const HWND control = Control(id);
    return control != nullptr && ::GetWindowRect(control, &rect) ? rect.bottom - rect.top : 0;
}

void Win32MainWindow::SetDroppedHeight(ControlId combo, int height) {
    RECT rect{};
    const HWND control = Control(combo);
    if (control != nullptr && ::GetWindowRect(control, &rect)) {
        // A drop-down combo box's window height is its height when dropped down.
        ::SetWindowPos(control, nullptr, 0, 0, rect.right - rect.left, height,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void Win32MainWindow::ClearList(ControlId combo) {
    if (const HWND control = Control(combo)) {
        for (auto n = ::SendMessageW(control, CB_GETCOUNT, 0, 0); n > 0; --n) {
            ::SendMessageW(control, CB_DELETESTRING, static_cast<WPARAM>(n - 1), 0);
        }
    }
}

void Win32MainWindow::AddListEntry(ControlId combo, std::string_view text) {
    if (const HWND control = Control(combo)) {
        const std::wstring wide = WideFromCp1251(text);
        ::SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    }
}

MessageAnswer Win32MainWindow::ShowMessage(std::string_view text, std::string_view caption,
                                           MessageIcon icon, MessageButtons buttons) {
    return dialogs_.Message(window_, text, caption, icon, buttons);
}

std::string Win32MainWindow::ChooseFile(const FileChoice& choice) {
    return dialogs_.ChooseFile(window_, choice);
}

std::string Win32MainWindow::ApplicationName() const {
    const std::wstring path = ExecutablePath();
    std::wstring name = path.substr(path.find_last_of(L"\\/") + 1);
    if (const auto dot = name.rfind(L'.'); dot != std::wstring::npos && dot > 0) {
        name.resize(dot);
    }
    return name.empty() ? std::string("Quorrel") : Cp1251FromWideMarked(name);
}

std::string Win32MainWindow::NameFromText(std::string_view text) const {
    return NameFromWide(WideFromCp1251(text));
}

std::string Win32MainWindow::TextFromName(std::string_view name) const {
    return Cp1251FromWideMarked(WideFromName(name));
}

void Win32MainWindow::AddFrameItems() {
    const HINSTANCE instance = dialogs_.instance();
    if (const HMENU menu = ::GetSystemMenu(window_, FALSE)) {
        wchar_t entry[256] = {};
        if (::LoadStringW(instance, QUORREL_IDS_ABOUT_ENTRY, entry, 256) > 0) {
            ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuW(menu, MF_STRING, layout::kSystemMenuAboutCommand, entry);
        }
    }
    icon_ = ::LoadIconW(instance, MAKEINTRESOURCEW(QUORREL_IDI_PROGRAM));
    // The small icon from the same resource at its own size, rather than the large one shrunk.
    smallIcon_ = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(QUORREL_IDI_PROGRAM),
                                                 IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                 ::GetSystemMetrics(SM_CYSMICON), 0));
    ::SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    ::SendMessageW(window_, WM_SETICON, ICON_SMALL,
                   reinterpret_cast<LPARAM>(smallIcon_ != nullptr ? smallIcon_ : icon_));
}

void Win32MainWindow::EndWindow() {
    ended_ = true;
    if (modal_) {
        ::EndDialog(window_, IDOK);
    } else {
        ::DestroyWindow(window_);
        window_ = nullptr;
    }
}

}  // namespace quorrel::win32
