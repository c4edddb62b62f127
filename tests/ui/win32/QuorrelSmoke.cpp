// Starts the real Quorrel.exe from a folder of its own and drives it from outside, as a user
// would: the window titled "Quorrel" appears; the About box opens from Enter on its button (the
// other ways to it the window's own test takes), and Escape ends it; Escape ends the program
// with status 0, and the settings file appears beside the program.
//   QuorrelSmoke PATH-OF-Quorrel.exe
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "FileSystemName.h"
#include "RunProcess.h"
#include "TempDir.h"

namespace quorrel::test {
namespace {

std::string program;  // from the command line

// Polls until `done` holds or the time is up.
bool Poll(const std::function<bool()>& done) {
    for (int waited = 0; waited < 30'000; waited += 50, ::Sleep(50)) {
        if (done()) {
            return true;
        }
    }
    return false;
}

// A visible dialog of the process with this caption (and this owner, when one is given).
HWND FindDialog(DWORD process, HWND owner, const wchar_t* caption) {
    HWND found = nullptr;
    Poll([&] {
        while ((found = ::FindWindowExW(nullptr, found, L"#32770", caption)) != nullptr) {
            DWORD pid = 0;
            ::GetWindowThreadProcessId(found, &pid);
            if (pid == process && ::IsWindowVisible(found) &&
                (owner == nullptr || ::GetWindow(found, GW_OWNER) == owner)) {
                return true;
            }
        }
        return false;
    });
    return found;
}

void PressEscape(HWND control) {
    ::PostMessageW(control, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    ::PostMessageW(control, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0010001u));
}

LONG Centre(const RECT& box, bool vertical) {
    return vertical ? (box.top + box.bottom) / 2 : (box.left + box.right) / 2;
}

TEST(QuorrelSmoke, StartsShowsAboutAndEndsOnEscape) {
    TempDir dir;
    std::filesystem::copy_file(PathFromName(program), PathFromName(dir.File("Quorrel.exe")));
    Process quorrel(dir.File("Quorrel.exe"), {}, ProcessOptions({}, dir.path()));
    const auto pid = static_cast<DWORD>(quorrel.pid());
    const HWND main = FindDialog(pid, nullptr, L"Quorrel");
    ASSERT_NE(main, nullptr) << "no window titled \"Quorrel\"";
    // With the focus on a push button, Enter presses that button.
    const HWND button = ::GetDlgItem(main, 1008);
    ::PostMessageW(main, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(button), TRUE);
    ::PostMessageW(button, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    ::PostMessageW(button, WM_KEYUP, VK_RETURN, static_cast<LPARAM>(0xC01C0001u));
    const HWND about =
        FindDialog(pid, main, L"\x041E \x043F\x0440\x043E\x0433\x0440\x0430\x043C\x043C\x0435");
    ASSERT_NE(about, nullptr) << "no About box owned by the window";
    RECT box{};
    RECT over{};
    ::GetWindowRect(about, &box);
    ::GetWindowRect(main, &over);
    EXPECT_NEAR(Centre(box, false), Centre(over, false), 1);
    EXPECT_NEAR(Centre(box, true), Centre(over, true), 1);
    EXPECT_FALSE(::IsWindowEnabled(main)) << "enabled under the About box";
    PressEscape(::GetDlgItem(about, IDOK));
    EXPECT_TRUE(Poll([&] { return !::IsWindow(about) || !::IsWindowVisible(about); }));
    EXPECT_TRUE(::IsWindowEnabled(main));
    PressEscape(::GetDlgItem(main, 1000));
    const ProcessResult ended = quorrel.Wait(std::chrono::seconds(30));
    EXPECT_FALSE(ended.timedOut);
    EXPECT_EQ(ended.exitCode, 0);
    EXPECT_TRUE(FileExists(dir.File("Quorrel.ini")));
}

}  // namespace
}  // namespace quorrel::test

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: QuorrelSmoke PATH-OF-Quorrel.exe\n");
        return 2;
    }
    quorrel::test::program = argv[1];
    return RUN_ALL_TESTS();
}
