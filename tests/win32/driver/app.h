// One running copy of Pellwick.exe, started from a folder of its own, driven through
// window messages and keystrokes.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "runtime/system_win32.h"
#include "support.h"
#include "window/controls_win32.h"

namespace testwin {

// Copies the program into `folder` and starts it there, with `workingDir` (or the folder)
// as its current directory and the arguments given. The window is up when the constructor
// returns. Without `copyProgram` it starts the copy already there (another instance may be
// running it).
class App {
public:
    explicit App(const std::filesystem::path& folder, const std::filesystem::path& workingDir = {},
                 bool copyProgram = true, const std::vector<std::wstring>& arguments = {});
    // Starts `commandLine` as it is, as the shell starts a verb's.
    App(const std::wstring& commandLine, const std::filesystem::path& workingDir);
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    HWND Window() const { return window_; }
    HWND Control(int id) const { return ::GetDlgItem(window_, id); }
    HWND FileNameBox() const { return Control(window::win32::kIdFileName); }
    HWND DigestBox() const { return Control(window::win32::kIdMD5); }
    HWND BrowseButton() const { return Control(window::win32::kIdFindFileName); }
    HANDLE Process() const { return process_.Get(); }
    DWORD ProcessId() const { return processId_; }
    DWORD ThreadId() const { return threadId_; }
    const std::filesystem::path& Exe() const { return exe_; }

    // Sets the file-name box's text; the change handler has run when this returns.
    void SetFileName(const std::wstring& text) const;
    std::wstring FileName() const;
    std::wstring Digest() const;
    // The window's control that has the keyboard focus.
    HWND Focus() const;
    // True when the window still answers messages within a second.
    bool Answers() const;
    // True when a module of this name is loaded in the program's process.
    bool HasModuleLoaded(const std::wstring& name) const;
    // Calls LoadLibraryW(name) on a thread of the program's own and waits for it, as a system
    // library of the program's would.
    void LoadLibraryInside(const std::wstring& name) const;
    // Drops the file on the window as the shell would; the handler has run when this returns.
    void DropFile(const std::wstring& path) const;
    // The digest box's tooltip, read in the program's own memory; "" when it has none.
    std::wstring DigestTip() const;

private:
    void Start(std::wstring commandLine, const std::filesystem::path& workingDir);

    std::filesystem::path exe_;
    runtime::win32::UniqueHandle process_;
    DWORD processId_ = 0;
    DWORD threadId_ = 0;
    HWND window_ = nullptr;
};

// Sets the file name from a thread of its own (the program answers only once its message box
// is closed) and hands back the message box that the program shows, with its text.
class ErrorBoxWatch {
public:
    ErrorBoxWatch(const App& app, std::wstring text) : app_(app), text_(std::move(text)) {
        thread_ = std::thread([this] { app_.SetFileName(text_); });
    }
    ~ErrorBoxWatch() { thread_.join(); }
    ErrorBoxWatch(const ErrorBoxWatch&) = delete;
    ErrorBoxWatch& operator=(const ErrorBoxWatch&) = delete;

    // The box's message, after closing it; "" when no box came.
    std::wstring CloseBox();

private:
    const App& app_;
    std::wstring text_;
    std::thread thread_;
};

// One program serves every test of a suite: started in a folder of its own, with no stored
// setting, once the suite's `Prepare(folder)` (if it has one) has put its files there.
template <typename Suite>
class OneProgramTest : public ::testing::Test {
public:
    static void Prepare(const TempTree&) {}

protected:
    static void SetUpTestSuite() {
        SetInstallerDirectory(nullptr);
        tree_ = new TempTree;
        Suite::Prepare(*tree_);
        app_ = new App(*tree_ / L"program");
    }
    static void TearDownTestSuite() {
        delete app_;
        delete tree_;
    }
    static std::wstring PathOf(const std::wstring& name) { return (*tree_ / name).wstring(); }

    static inline TempTree* tree_ = nullptr;
    static inline App* app_ = nullptr;
};

// The path of the program that the tests drive (given on the command line).
std::filesystem::path& ProgramUnderTest();

// The shell's browse dialog that the browse button opens. Opening presses the button and
// returns the dialog once it shows, or null.
HWND OpenBrowseDialog(const App& app);
// The selected item's path, which the program shows as the dialog's status text.
std::wstring BrowseStatusText(HWND dialog);
// Opens the tree's selected folder and selects its child at `path`; true when there is one.
bool SelectInBrowseTree(HWND dialog, const std::wstring& path);
// Clicks IDOK or IDCANCEL; true when the dialog went and the window still answers.
bool CloseBrowseDialog(const App& app, HWND dialog, int button);

}  // namespace testwin
