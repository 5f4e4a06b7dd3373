// Pellwick.exe: the main window is the whole program. It takes no command line.
#include "runtime/system_win32.h"
#include "window/job.h"
#include "window/main_window_win32.h"

// After <windows.h>, which main_window_win32.h brings in.
// clang-format off
#include <commctrl.h>
// clang-format on

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    // Before any library loads: the system's own libraries (the shell's browse dialog) load
    // more by bare name, and the program's folder is often a Downloads folder holding anything.
    // Should the system refuse, the engine is still loaded by its full path alone.
    runtime::win32::NarrowLibrarySearch();

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);

    window::win32::MainWindow mainWindow(instance);
    if (!mainWindow.Create(showCommand)) return 1;

    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Tab and Shift+Tab through the controls, as in a dialog.
        if (::IsDialogMessageW(mainWindow.Handle(), &message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    const int code = static_cast<int>(message.wParam);
    // A read that the person gave up on may still hang on slow media: ExitProcess ends that
    // worker before anything else runs, where returning would run static destructors under it.
    if (window::Job::WorkersBusy()) ::ExitProcess(static_cast<UINT>(code));
    return code;
}
