// The real Quorrel.exe, copied into a folder of its own, driven from outside as its user would
// (the window's own test takes the other ways to the About box).
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

// A visible dialog of the process with this caption and owner.
HWND FindDialog(DWORD process, HWND owner, const wchar_t* caption) {
    HWND found = nullptr;
    Poll([&] {
        while ((found = ::FindWindowExW(nullptr, found, L"#32770", caption)) != nullptr) {
            DWORD pid = 0;
            ::GetWindowThreadProcessId(found, &pid);
            if (pid == process && ::IsWindowVisible(found) &&
                ::GetWindow(found, GW_OWNER) == owner) {
                return true;
            }
        }
        return false;
    });
    return found;
}

// A key pressed and released; `scan` is its scan code.
void Press(HWND control, WPARAM key, LPARAM scan) {
    ::PostMessageW(control, WM_KEYDOWN, key, 1 | scan << 16);
    ::PostMessageW(control, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u) | scan << 16);
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
    Press(button, VK_RETURN, 0x1C);
    const HWND about =
        FindDialog(pid, main, L"\x041E \x043F\x0440\x043E\x0433\x0440\x0430\x043C\x043C\x0435");
    ASSERT_NE(about, nullptr) << "no About box owned by the window";
    RECT box{}, over{};
    ::GetWindowRect(about, &box);
    ::GetWindowRect(main, &over);
    // Centred: the sums of opposite edges, twice the centres, agree.
    EXPECT_NEAR(box.left + box.right, over.left + over.right, 2);
    EXPECT_NEAR(box.top + box.bottom, over.top + over.bottom, 2);
    EXPECT_FALSE(::IsWindowEnabled(main)) << "enabled under the About box";
    Press(::GetDlgItem(about, IDOK), VK_ESCAPE, 1);
    EXPECT_TRUE(Poll([&] { return !::IsWindow(about) || !::IsWindowVisible(about); }));
    EXPECT_TRUE(::IsWindowEnabled(main));
    Press(::GetDlgItem(main, 1000), VK_ESCAPE, 1);
    EXPECT_EQ(quorrel.Wait(std::chrono::seconds(30)).exitCode, 0);  // -1: it had to be killed
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
