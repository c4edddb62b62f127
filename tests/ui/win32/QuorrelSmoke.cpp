// Starts the real Quorrel.exe from a folder of its own and drives it from outside, as a user
// would: the window titled "Quorrel" appears; the About box opens from Enter on its button (the
// other ways to it the window's own test takes), and Escape ends it; Escape ends the program
// with status 0, and the settings file appears beside the program. Exit code 0 when every step
// holds.
//   QuorrelSmoke PATH-OF-Quorrel.exe
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>

namespace {

constexpr DWORD kStepTimeoutMs = 30'000;

bool Check(bool ok, const char* step) {
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", step);
    std::fflush(stdout);
    return ok;
}

// Polls until `done` holds or the time is up.
bool Poll(const std::function<bool()>& done) {
    for (DWORD waited = 0; waited < kStepTimeoutMs; waited += 50, ::Sleep(50)) {
        if (done()) {
            return true;
        }
    }
    return false;
}

// A visible dialog of the process with this caption (and this owner, when one is given).
HWND FindDialog(DWORD process, HWND owner, const wchar_t* caption) {
    for (HWND found = nullptr; (found = ::FindWindowExW(nullptr, found, L"#32770", caption));) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(found, &pid);
        if (pid == process && ::IsWindowVisible(found) &&
            (owner == nullptr || ::GetWindow(found, GW_OWNER) == owner)) {
            return found;
        }
    }
    return nullptr;
}

void PressEscape(HWND control) {
    ::PostMessageW(control, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    ::PostMessageW(control, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0010001u));
}

bool Drive(DWORD process, HANDLE handle) {
    HWND main = nullptr;
    Poll([&] { return (main = FindDialog(process, nullptr, L"Quorrel")) != nullptr; });
    if (!Check(main != nullptr, "a window titled \"Quorrel\" appears")) {
        return false;
    }
    // With the focus on a push button, Enter presses that button.
    const HWND button = ::GetDlgItem(main, 1008);
    ::PostMessageW(main, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(button), TRUE);
    ::PostMessageW(button, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    ::PostMessageW(button, WM_KEYUP, VK_RETURN, static_cast<LPARAM>(0xC01C0001u));
    const wchar_t* caption = L"\x041E \x043F\x0440\x043E\x0433\x0440\x0430\x043C\x043C\x0435";
    HWND about = nullptr;
    Poll([&] { return (about = FindDialog(process, main, caption)) != nullptr; });
    if (!Check(about != nullptr,
               "the About box opens from Enter on its button, owned by the window")) {
        return false;
    }
    RECT box{};
    RECT over{};
    ::GetWindowRect(about, &box);
    ::GetWindowRect(main, &over);
    const LONG dx = (box.left + box.right) / 2 - (over.left + over.right) / 2;
    const LONG dy = (box.top + box.bottom) / 2 - (over.top + over.bottom) / 2;
    const bool disabled = !::IsWindowEnabled(main);
    PressEscape(::GetDlgItem(about, IDOK));
    const bool gone = Poll([&] { return !::IsWindow(about) || !::IsWindowVisible(about); });
    if (!Check(dx >= -1 && dx <= 1 && dy >= -1 && dy <= 1, "it is centred over the window") ||
        !Check(disabled, "the window is disabled while the About box is up") ||
        !Check(gone, "Escape ends the About box") ||
        !Check(::IsWindowEnabled(main) != FALSE, "the window is enabled again")) {
        return false;
    }
    PressEscape(::GetDlgItem(main, 1000));
    const bool ended = ::WaitForSingleObject(handle, kStepTimeoutMs) == WAIT_OBJECT_0;
    DWORD code = 1;
    ::GetExitCodeProcess(handle, &code);
    return Check(ended, "Escape ends the program") && Check(code == 0, "its exit status is 0");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: QuorrelSmoke PATH-OF-Quorrel.exe\n");
        return 2;
    }
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring folder =
        std::wstring(temp) + L"quorrel-smoke-" + std::to_wstring(::GetCurrentProcessId());
    const std::wstring program = folder + L"\\Quorrel.exe";
    const std::wstring settings = folder + L"\\Quorrel.ini";
    if (!Check(::CreateDirectoryW(folder.c_str(), nullptr) &&
                   ::CopyFileW(argv[1], program.c_str(), TRUE),
               "Quorrel.exe copied into a folder of its own")) {
        return 1;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::wstring line = L"\"" + program + L"\"";
    bool ok = Check(::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0,
                                     nullptr, folder.c_str(), &startup, &info) != FALSE,
                    "Quorrel.exe starts");
    if (ok) {
        ok = Drive(info.dwProcessId, info.hProcess);
        if (!ok) {
            ::TerminateProcess(info.hProcess, 1);
            ::WaitForSingleObject(info.hProcess, kStepTimeoutMs);
        }
        ::CloseHandle(info.hThread);
        ::CloseHandle(info.hProcess);
        ok = Check(::GetFileAttributesW(settings.c_str()) != INVALID_FILE_ATTRIBUTES,
                   "Quorrel.ini is written beside the program") &&
             ok;
    }
    ::DeleteFileW(settings.c_str());
    ::DeleteFileW(program.c_str());
    ::RemoveDirectoryW(folder.c_str());
    return ok ? 0 : 1;
}
