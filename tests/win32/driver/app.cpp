#include "app.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <stdexcept>

#include "runtime/system_win32.h"
#include "support.h"

namespace testwin {

std::filesystem::path& ProgramUnderTest() {
    static std::filesystem::path path;
    return path;
}

App::App(const std::filesystem::path& folder, const std::filesystem::path& workingDir, bool copyProgram) {
    std::filesystem::create_directories(folder);
    exe_ = folder / L"Pellwick.exe";
    if (copyProgram) {
        std::filesystem::copy_file(ProgramUnderTest(), exe_, std::filesystem::copy_options::overwrite_existing);
    }
    std::wstring commandLine = L"\"" + exe_.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const std::wstring cwd = (workingDir.empty() ? folder : workingDir).wstring();
    if (!::CreateProcessW(exe_.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, cwd.c_str(), &startup,
                          &info)) {
        throw std::runtime_error("cannot start " + Narrow(exe_.wstring()));
    }
    const runtime::win32::UniqueHandle thread(info.hThread);
    process_.Reset(info.hProcess);
    processId_ = info.dwProcessId;
    if (!WaitFor([this] { return (window_ = ShownWindowOf(processId_, window::win32::kWindowClass)) != nullptr; })) {
        ::TerminateProcess(process_.Get(), 1);
        throw std::runtime_error("the window did not appear");
    }
    threadId_ = ::GetWindowThreadProcessId(window_, nullptr);
}

App::~App() {
    ::PostMessageW(window_, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process_.Get(), 5000) != WAIT_OBJECT_0) ::TerminateProcess(process_.Get(), 1);
    ::WaitForSingleObject(process_.Get(), 5000);
}

void App::SetFileName(const std::wstring& text) const {
    // Bounded, so that an unexpected message box fails the test instead of hanging the run.
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(FileNameBox(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, 30000,
                               &result)) {
        if (const HWND box = FindOwnedDialog(window_)) {
            const std::wstring message = DialogMessage(box);
            ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            throw std::runtime_error("the program showed a message box: " + Narrow(message));
        }
        throw std::runtime_error("the program did not answer");
    }
}

std::wstring App::FileName() const {
    return WindowText(FileNameBox());
}

std::wstring App::Digest() const {
    return WindowText(DigestBox());
}

HWND App::Focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return ::GetGUIThreadInfo(threadId_, &info) ? info.hwndFocus : nullptr;
}

bool App::Answers() const {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result) != 0;
}

bool App::HasModuleLoaded(const std::wstring& name) const {
    const runtime::win32::UniqueHandle snapshot(
        runtime::win32::NullIfInvalid(::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId_)));
    if (!snapshot) throw std::runtime_error("cannot list the program's modules");
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = ::Module32FirstW(snapshot.Get(), &entry); more && !found;
         more = ::Module32NextW(snapshot.Get(), &entry)) {
        found = SameText(entry.szModule, name);
    }
    return found;
}

void App::LoadLibraryInside(const std::wstring& name) const {
    const std::size_t bytes = (name.size() + 1) * sizeof(wchar_t);
    void* text = ::VirtualAllocEx(Process(), nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (text == nullptr) throw std::runtime_error("cannot allocate in the program's process");
    const runtime::ScopeGuard freeText([&] { ::VirtualFreeEx(Process(), text, 0, MEM_RELEASE); });
    if (!::WriteProcessMemory(Process(), text, name.c_str(), bytes, nullptr)) {
        throw std::runtime_error("cannot write to the program's process");
    }
    // The system's kernel32 lies at the same address in every process.
    const auto load = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW")));
    const runtime::win32::UniqueHandle thread(::CreateRemoteThread(Process(), nullptr, 0, load, text, 0, nullptr));
    if (!thread.Valid() || ::WaitForSingleObject(thread.Get(), 10000) != WAIT_OBJECT_0) {
        throw std::runtime_error("no thread ran in the program's process");
    }
}

std::wstring ErrorBoxWatch::CloseBox() {
    HWND box = nullptr;
    if (!WaitFor([&] { return (box = FindOwnedDialog(app_.Window())) != nullptr; })) return L"";
    const std::wstring message = DialogMessage(box);
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return message;
}

namespace {

// The dialog's tree and its status text, which the new dialog style keeps hidden.
constexpr int kBrowseTree = 14145;
constexpr int kBrowseStatusText = 14147;

}  // namespace

HWND OpenBrowseDialog(const App& app) {
    ::PostMessageW(app.BrowseButton(), BM_CLICK, 0, 0);
    HWND dialog = nullptr;
    WaitFor([&] { return (dialog = FindOwnedDialog(app.Window())) != nullptr; });
    return dialog;
}

std::wstring BrowseStatusText(HWND dialog) {
    return WindowText(::GetDlgItem(dialog, kBrowseStatusText));
}

bool SelectInBrowseTree(HWND dialog, const std::wstring& path) {
    const HWND tree = ::GetDlgItem(dialog, kBrowseTree);
    const auto folder = ::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
    ::SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, folder);
    for (auto item = ::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, folder); item != 0;
         item = ::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, item)) {
        ::SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, item);
        if (SameText(BrowseStatusText(dialog), path)) return true;
    }
    return false;
}

bool CloseBrowseDialog(const App& app, HWND dialog, int button) {
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    return WaitFor([&] { return !::IsWindow(dialog); }) && app.Answers();
}

}  // namespace testwin
