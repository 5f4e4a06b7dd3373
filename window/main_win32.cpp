// Pellwick.exe [PATH]: the main window is the whole program.
#include <string>
#include <vector>

#include "runtime/system_win32.h"
#include "runtime/worker_pool.h"
#include "window/main_window_win32.h"

// After <windows.h>, which main_window_win32.h brings in.
// clang-format off
#include <commctrl.h>
// clang-format on

namespace {

using UniqueArgv = runtime::UniqueResource<LPWSTR*, &::LocalFree>;

// The arguments after the program's name, from the wide command line, so that any name
// the file system allows arrives whole.
std::vector<std::string> Arguments() {
    int count = 0;
    const UniqueArgv argv(::CommandLineToArgvW(::GetCommandLineW(), &count));
    std::vector<std::string> arguments;
    for (int i = 1; argv && i < count; ++i) arguments.push_back(runtime::win32::Narrow(argv.Get()[i]));
    return arguments;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    // Before any library loads: the system's own libraries (the shell's browse dialog) load
    // more by bare name, and the program's folder is often a Downloads folder holding anything.
    // Should the system refuse, the engine is still loaded by its full path alone.
    runtime::win32::NarrowLibrarySearch();

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);

    // Asked before the window opens; the answer goes when its box is closed.
    const std::vector<std::string> arguments = Arguments();
    if (const auto asked = window::frmMain::AskedBy(arguments); asked != window::frmMain::Asked::kWindow) {
        const std::string text =
            asked == window::frmMain::Asked::kUsage ? window::frmMain::Usage() : window::frmMain::Version();
        ::MessageBoxW(nullptr, runtime::win32::Wide(text).c_str(),
                      runtime::win32::Wide(window::frmMain::kCaption).c_str(), MB_OK | MB_ICONINFORMATION);
        return 0;
    }

    window::win32::MainWindow mainWindow(instance);
    if (!mainWindow.Create(showCommand)) return 1;
    mainWindow.OpenArguments(arguments);

    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (mainWindow.TakeDetailsKey(message)) continue;
        // Tab and Shift+Tab through the controls, as in a dialog.
        if (::IsDialogMessageW(mainWindow.Handle(), &message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    const int code = static_cast<int>(message.wParam);
    // A read that the person gave up on may still hang on slow media: ExitProcess ends that
    // worker before anything else runs, where returning would run static destructors under it.
    if (runtime::WorkersBusy()) ::ExitProcess(static_cast<UINT>(code));
    return code;
}
