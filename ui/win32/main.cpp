#include <windows.h>

#include <commctrl.h>

#include "SettingsFile.h"
#include "Win32Dialogs.h"
#include "Win32MainWindow.h"

// The process lives exactly as long as the main window; however it ends, the status is 0.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // The three-dimensional look of the controls: visual styles, from the manifest.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);

    quorrel::win32::Win32Dialogs dialogs(instance);
    quorrel::win32::Win32MainWindow window(quorrel::SettingsFile::ForExecutable(), dialogs);
    window.RunModal();
    return 0;
}
