#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstring>
#include <map>
#include <memory>

#include "AboutBoxLayout.h"
#include "Cp1251.h"
#include "FileSystemName.h"
#include "MainWindowLayout.h"
#include "ResourceStrings.h"
#include "Win32MainWindow.h"
#include "Win32ResourceIds.h"
#include "Win32Text.h"
#include "WindowDriver.h"

namespace quorrel::test {
namespace {

std::string W(std::string_view utf8) {
    return cp1251::FromUtf8(utf8).text;
}

std::wstring WideText(HWND window) {
    std::wstring text(1024, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), 1024)));
    return text;
}

// Memory to hand over to the system, holding these bytes.
HGLOBAL Global(std::string_view bytes) {
    const HGLOBAL memory = GlobalAlloc(GHND, bytes.size());
    std::memcpy(GlobalLock(memory), bytes.data(), bytes.size());
    GlobalUnlock(memory);
    return memory;
}

template <class T>
std::string_view Bytes(const T* data, std::size_t count) {
    return {reinterpret_cast<const char*>(data), count * sizeof(T)};
}

// A drop of files as the shell delivers it.
HDROP MakeDrop(const std::vector<std::string>& names) {
    std::wstring list;
    for (const std::string& name : names) {
        list += PathFromName(name).native() + L'\0';
    }
    const DROPFILES header{sizeof header, {}, FALSE, TRUE};
    return static_cast<HDROP>(
        Global(std::string(Bytes(&header, 1)) + std::string(Bytes(list.c_str(), list.size() + 1))));
}

// The style each window was created with, before a combo box hands WS_VSCROLL on to its list,
// where wine does not show it either.
std::map<HWND, DWORD> createdStyles;
LRESULT CALLBACK RecordCreation(int code, WPARAM window, LPARAM creation) {
    if (code == HCBT_CREATEWND) {
        createdStyles[reinterpret_cast<HWND>(window)] =
            static_cast<DWORD>(reinterpret_cast<CBT_CREATEWNDW*>(creation)->lpcs->style);
    }
    return CallNextHookEx(nullptr, code, window, creation);
}

// The Windows window, modeless, driven by messages; its modal dialogs, each owned by the window,
// answered by the dialog script, the About box only counted.
class Win32Driver : public WindowDriver, public win32::Win32Dialogs {
  public:
    explicit Win32Driver(const std::string& settingsPath)
        : Win32Dialogs(::GetModuleHandleW(nullptr)), window(SettingsFile(settingsPath), *this) {
        [[maybe_unused]] static const HHOOK recorder =
            SetWindowsHookExW(WH_CBT, RecordCreation, nullptr, GetCurrentThreadId());
        main = window.CreateModeless();
        EXPECT_NE(main, nullptr);
    }

    MainWindow& state() override { return window.state(); }
    WindowView& view() override { return window; }
    // One replacement a character, each reported as a change, as typing is; none clears.
    void Type(ControlId id, std::string_view cp1251) override {
        SendMessageW(EditOf(id), EM_SETSEL, 0, -1);
        const std::wstring wide = win32::WideFromCp1251(cp1251);
        for (std::size_t at = 0; at == 0 || at < wide.size(); ++at) {
            SendMessageW(EditOf(id), EM_REPLACESEL, TRUE,
                         reinterpret_cast<LPARAM>(wide.substr(at, 1).c_str()));
        }
    }
    void Click(ControlId id) override {
        if (IsWindowEnabled(Control(id))) {
            SendMessageW(main, WM_COMMAND, MAKEWPARAM(static_cast<int>(id), BN_CLICKED),
                         reinterpret_cast<LPARAM>(Control(id)));
        }
    }
    void Drop(const std::vector<std::string>& names) override {
        SendMessageW(main, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(names)), 0);
    }
    void Enter() override { SendMessageW(main, WM_COMMAND, IDOK, 0); }
    void Escape() override { SendMessageW(main, WM_COMMAND, IDCANCEL, 0); }
    void CloseBox() override { SendMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0); }
    bool Ended() override { return window.ended(); }
    bool Enabled(ControlId id) override { return IsWindowEnabled(Control(id)); }
    std::optional<ControlId> Focus() override {
        const HWND focus = GetFocus();  // or a combo box's edit field, in its combo box
        const int id = GetDlgCtrlID(GetParent(focus) == main ? focus : GetParent(focus));
        return focus == nullptr ? std::nullopt : std::optional(static_cast<ControlId>(id));
    }
    bool WholeTextSelected(ControlId id) override {
        DWORD from = 1, to = 0;
        SendMessageW(EditOf(id), EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                     reinterpret_cast<LPARAM>(&to));
        return from == 0 && to == static_cast<DWORD>(GetWindowTextLengthW(EditOf(id)));
    }
    std::vector<std::string> List(ControlId id) override {
        std::vector<std::string> entries;
        const auto n = SendMessageW(Control(id), CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < n; ++i) {
            wchar_t entry[256] = {};
            SendMessageW(Control(id), CB_GETLBTEXT, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(entry));
            entries.push_back(win32::Cp1251FromWide(entry));
        }
        return entries;
    }
    int DroppedHeight(ControlId id) override {
        RECT dropped{};
        SendMessageW(Control(id), CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
        // Windows counts the text field in, as the window asked; wine reports the list alone.
        const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version");
        return dropped.bottom - dropped.top + (wine ? window.Height(id) : 0);
    }
    bool HasIcon() override { return SendMessageW(main, WM_GETICON, ICON_BIG, 0) != 0; }

    MessageAnswer Message(HWND owner, std::string_view text, std::string_view caption,
                          MessageIcon icon, MessageButtons buttons) override {
        EXPECT_EQ(owner, main);
        return dialogs.Message(cp1251::ToUtf8(text), cp1251::ToUtf8(caption), icon, buttons);
    }
    std::string ChooseFile(HWND owner, const FileChoice& choice) override {
        EXPECT_EQ(owner, main);
        return dialogs.Choose(choice.forOpening, choice.initialName);
    }
    void About(HWND owner) override {
        EXPECT_EQ(owner, main);
        ++abouts;
    }

    HWND Control(ControlId id) const { return GetDlgItem(main, static_cast<int>(id)); }
    HWND EditOf(ControlId id) const {
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        return GetComboBoxInfo(Control(id), &info) ? info.hwndItem : Control(id);
    }

    win32::Win32MainWindow window;
    HWND main = nullptr;
    int abouts = 0;
};

using Win32Window = WindowTest<Win32Driver>;

// The built dialog against the shared layout table: its frame, size and font, and per control,
// in order, its identifier, class, place, text and the styles its kind implies.
void ExpectBuilt(HWND dialog, const DialogTemplate& table) {
    RECT whole{0, 0, table.width, table.height};
    MapDialogRect(dialog, &whole);
    RECT client{};
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, whole.right);
    EXPECT_EQ(client.bottom, whole.bottom);
    constexpr LONG_PTR kFrame = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    EXPECT_EQ(GetWindowLongPtrW(dialog, GWL_STYLE) &
                  (kFrame | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME),
              kFrame);
    EXPECT_NE(GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME, 0);
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_EQ(font.lfHeight, -MulDiv(8, static_cast<int>(GetDpiForWindow(dialog)), 72));
    EXPECT_EQ(std::wstring(font.lfFaceName), L"MS Sans Serif");

    constexpr DWORD kEdit = ES_READONLY | ES_AUTOHSCROLL | WS_BORDER;
    constexpr DWORD kCombo = 3 | CBS_SORT | CBS_AUTOHSCROLL | WS_VSCROLL;
    const struct {
        const wchar_t* className;
        DWORD mask;
        DWORD style;  // under the mask, with WS_VISIBLE and WS_TABSTOP
        bool text;
    } kinds[] = {
        // In the order of ControlKind.
        {L"static", 0xF, SS_LEFT, true},
        {L"static", 0xF, SS_LEFT, true},
        {L"static", 0xF, SS_ICON, false},
        {L"edit", kEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, false},
        {L"edit", kEdit, kEdit | WS_TABSTOP, false},
        {L"button", 0xF, BS_PUSHBUTTON | WS_TABSTOP, true},
        {L"button", 0xF, BS_DEFPUSHBUTTON | WS_TABSTOP, true},
        {L"combobox", kCombo, CBS_DROPDOWN | CBS_SORT | WS_VSCROLL | WS_TABSTOP, false},
        {L"button", 0xF, BS_GROUPBOX, true},
    };
    HWND child = GetWindow(dialog, GW_CHILD);
    for (const ControlTemplate& wanted : table.controls) {
        ASSERT_NE(child, nullptr) << wanted.name;
        const auto& kind = kinds[static_cast<int>(wanted.kind)];
        const int id = GetDlgCtrlID(child);
        EXPECT_EQ(id == 0xFFFF || id == -1 ? 0 : id, wanted.id) << wanted.name;
        wchar_t className[32] = {};
        GetClassNameW(child, className, 32);
        CharLowerW(className);
        EXPECT_EQ(std::wstring(className), kind.className) << wanted.name;
        // An edit trades WS_BORDER for a sunken edge.
        const auto style =
            static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE)) |
            (createdStyles[child] & WS_VSCROLL) |
            ((GetWindowLongPtrW(child, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0 ? WS_BORDER : 0);
        EXPECT_EQ(style & (kind.mask | WS_TABSTOP | WS_VISIBLE), kind.style | WS_VISIBLE)
            << wanted.name;
        if (kind.text) {
            EXPECT_EQ(win32::Cp1251FromWide(WideText(child)), wanted.text) << wanted.name;
        } else if (wanted.kind == ControlKind::Icon) {
            EXPECT_NE(SendMessageW(child, STM_GETICON, 0, 0), 0) << wanted.name;
        }
        RECT place{wanted.rect.x, wanted.rect.y, wanted.rect.width, wanted.rect.height};
        MapDialogRect(dialog, &place);
        RECT actual{};
        GetWindowRect(child, &actual);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
        // An icon takes its image's size, a combo box the height the system gives its text field.
        const bool icon = wanted.kind == ControlKind::Icon;
        EXPECT_EQ((std::vector<LONG>{
                      actual.left, actual.top, icon ? place.right : actual.right - actual.left,
                      icon || wanted.kind == ControlKind::ComboBox ? place.bottom
                                                                   : actual.bottom - actual.top}),
                  (std::vector<LONG>{place.left, place.top, place.right, place.bottom}))
            << wanted.name;
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "more controls than the table has";
}

TEST_F(Win32Window, MainLayoutIsTheTable) {
    ExpectBuilt(ui_->main, layout::kMainWindow);
    EXPECT_NE(GetWindowLongPtrW(ui_->main, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
    EXPECT_EQ(GetWindow(ui_->main, GW_OWNER), nullptr);
}

TEST_F(Win32Window, AboutLayoutIsTheTable) {
    const HWND about = CreateDialogParamW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(QUORREL_IDD_ABOUT), ui_->main,
        [](HWND, UINT message, WPARAM, LPARAM) -> INT_PTR { return message == WM_INITDIALOG; }, 0);
    ASSERT_NE(about, nullptr);
    ExpectBuilt(about, layout::kAboutBox);
    EXPECT_EQ(win32::Cp1251FromWide(WideText(about)), layout::kAboutBox.caption);
    // Ampersands in the version line show as they are.
    const HWND version = GetWindow(GetWindow(about, GW_CHILD), GW_HWNDNEXT);
    EXPECT_NE(GetWindowLongPtrW(version, GWL_STYLE) & SS_NOPREFIX, 0);
    DestroyWindow(about);
}

TEST_F(Win32Window, FirstShowingCentresSortsAndHasIconsAndAboutInTheSystemMenu) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(ui_->main, MONITOR_DEFAULTTONEAREST), &monitor);
    RECT frame{};
    GetWindowRect(ui_->main, &frame);
    // Centred: the sums of opposite edges, twice the centres, agree.
    EXPECT_NEAR(frame.left + frame.right, monitor.rcWork.left + monitor.rcWork.right, 2);
    EXPECT_NEAR(frame.top + frame.bottom, monitor.rcWork.top + monitor.rcWork.bottom, 2);
    // The combo box sorts them.
    EXPECT_EQ(ui_->List(ControlId::Firmware),
              (std::vector<std::string>{"E250A", "E250B", "E250C", "E250D"}));

    const HMENU menu = GetSystemMenu(ui_->main, FALSE);
    const int count = GetMenuItemCount(menu);
    ASSERT_GE(count, 2);
    wchar_t entry[64] = {};
    GetMenuStringW(menu, static_cast<UINT>(count - 1), entry, 64, MF_BYPOSITION);
    EXPECT_EQ(win32::Cp1251FromWide(entry), layout::kSystemMenuAbout.view());
    EXPECT_EQ(GetMenuItemID(menu, count - 1), layout::kSystemMenuAboutCommand);
    EXPECT_EQ(GetMenuState(menu, static_cast<UINT>(count - 2), MF_BYPOSITION) & MF_SEPARATOR,
              static_cast<UINT>(MF_SEPARATOR));

    const auto big = SendMessageW(ui_->main, WM_GETICON, ICON_BIG, 0);
    EXPECT_NE(SendMessageW(ui_->main, WM_GETICON, ICON_SMALL, 0), 0);
    EXPECT_EQ(SendMessageW(ui_->main, WM_QUERYDRAGICON, 0, 0), big);

    // The low four bits of a system command are the system's own.
    SendMessageW(ui_->main, WM_SYSCOMMAND, layout::kSystemMenuAboutCommand | 0x3, 0);
    ui_->Click(ControlId::About);
    EXPECT_EQ(ui_->abouts, 2);
    EXPECT_FALSE(ui_->Ended());
}

TEST_F(Win32Window, CharactersWithoutAWindows1251FormAreRefusedAndNamesStayWide) {
    SetWindowTextW(ui_->Control(ControlId::Version), L"bad");
    for (const wchar_t unit : std::wstring_view(L"\x041F\x6F22\x0440\xD83D\xDE00!")) {
        SendMessageW(ui_->Control(ControlId::Title), WM_CHAR, unit, 1);
    }
    EXPECT_EQ(WideText(ui_->Control(ControlId::Title)), L"\x041F\x0440!");
    EXPECT_EQ(ui_->state().title(), W("Пр!"));
    EXPECT_EQ(ui_->dialogs.TakeLog().size(), 3u) << "one change a character kept";

    ASSERT_TRUE(OpenClipboard(ui_->main));
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, Global(Bytes(L"a\u6F22b", 4)));
    CloseClipboard();
    SendMessageW(ui_->Control(ControlId::Description), WM_PASTE, 0, 0);
    EXPECT_EQ(WideText(ui_->Control(ControlId::Description)), L"ab");
    ui_->dialogs.TakeLog();

    for (const wchar_t unit : std::wstring_view(L"E\u6F221")) {
        SendMessageW(ui_->EditOf(ControlId::Firmware), WM_CHAR, unit, 1);
    }
    EXPECT_EQ(ui_->Text(ControlId::Firmware), "E1");

    // Set by the program, text crosses the codec, and names stay wide.
    ui_->window.SetText(ControlId::Title, W("Ёлка №2"));
    EXPECT_EQ(WideText(ui_->Control(ControlId::Title)), L"\x0401\x043B\x043A\x0430 \x2116\x0032");
    EXPECT_EQ(ui_->Text(ControlId::Title), W("Ёлка №2"));
    const std::string name = dir_.File("\xE6\xBC\xA2\xD0\x96.bin");
    ui_->window.SetText(ControlId::ImagePath, name);
    EXPECT_EQ(WideText(ui_->Control(ControlId::ImagePath)), PathFromName(name).native());
    EXPECT_EQ(ui_->Text(ControlId::ImagePath), name);
    // Shown as text, a character Windows-1251 lacks stands as '?'.
    EXPECT_EQ(ui_->window.TextFromName("a\u6F22b"), "a?b");
    EXPECT_EQ(ui_->window.ApplicationName(), "test_Win32MainWindow");
}

// The resources the program carries are linked into this test program as well; the icon and
// the menu entry's text the window loads, so its own tests check them.
TEST(Win32Resources, VersionRecord) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::vector<BYTE> info(GetFileVersionInfoSizeW(self, nullptr));
    ASSERT_TRUE(GetFileVersionInfoW(self, 0, static_cast<DWORD>(info.size()), info.data()));
    const auto query = [&](const std::wstring& key) -> const void* {
        void* value = nullptr;
        UINT length = 0;
        return VerQueryValueW(info.data(), key.c_str(), &value, &length) && length > 0 ? value
                                                                                       : nullptr;
    };
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(query(L"\\"));
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ((std::vector<DWORD>{fixed->dwFileVersionMS, fixed->dwFileVersionLS,
                                  fixed->dwProductVersionMS, fixed->dwProductVersionLS}),
              (std::vector<DWORD>{0x00010000u, 1, 0x00010000u, 1}));
    const auto* translation = static_cast<const DWORD*>(query(L"\\VarFileInfo\\Translation"));
    EXPECT_EQ(translation != nullptr ? *translation : 0u, 0x04E30419u);  // Russian, Windows-1251
    // Filed under Russian like the dialogs, so a lookup by the program's language finds it.
    EXPECT_NE(FindResourceExW(nullptr, MAKEINTRESOURCEW(16), MAKEINTRESOURCEW(1),
                              MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT)),
              nullptr);
    for (const auto& [name, value] : {std::pair{L"FileVersion", L"1, 0, 0, 1"},
                                      {L"ProductVersion", L"1, 0, 0, 1"},
                                      {L"InternalName", L"Quorrel"},
                                      {L"ProductName", L"Quorrel"},
                                      {L"OriginalFilename", L"Quorrel.EXE"}}) {
        const auto* text = static_cast<const wchar_t*>(
            query(std::wstring(L"\\StringFileInfo\\041904e3\\") + name));
        EXPECT_EQ(std::wstring(text != nullptr ? text : L"<none>"), value) << name;
    }
}

TEST(Win32Chooser, FilterListIsLabelAndPatternPairs) {
    FileChoice choice;
    choice.filters = {{W("DIFF файлы (*.dif)"), "*.dif"}, {W("Все файлы (*.*)"), "*.*"}};
    const std::wstring expected =
        std::wstring(L"DIFF \x0444\x0430\x0439\x043B\x044B (*.dif)") + L'\0' + L"*.dif" + L'\0' +
        L"\x0412\x0441\x0435 \x0444\x0430\x0439\x043B\x044B (*.*)" + L'\0' + L"*.*" + L'\0' + L'\0';
    EXPECT_EQ(win32::ChooserFilter(choice), expected);
}

}  // namespace

std::unique_ptr<WindowDriver> StartWindow(const std::string& settingsPath) {
    return std::make_unique<Win32Driver>(settingsPath);
}

}  // namespace quorrel::test
