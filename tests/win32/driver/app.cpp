#include "app.h"

#include <commctrl.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <cstring>
#include <stdexcept>
#include <vector>

#include "runtime/system_win32.h"
#include "support.h"

namespace testwin {

std::filesystem::path& ProgramUnderTest() {
    static std::filesystem::path path;
    return path;
}

App::App(const std::filesystem::path& folder, const std::filesystem::path& workingDir, bool copyProgram,
         const std::vector<std::wstring>& arguments) {
    std::filesystem::create_directories(folder);
    exe_ = folder / L"Pellwick.exe";
    if (copyProgram) {
        std::filesystem::copy_file(ProgramUnderTest(), exe_, std::filesystem::copy_options::overwrite_existing);
    }
    std::wstring commandLine = L"\"" + exe_.wstring() + L"\"";
    for (const auto& argument : arguments) commandLine += L" \"" + argument + L"\"";
    Start(commandLine, workingDir.empty() ? folder : workingDir);
}

App::App(const std::wstring& commandLine, const std::filesystem::path& workingDir) {
    Start(commandLine, workingDir);
}

void App::Start(std::wstring commandLine, const std::filesystem::path& workingDir) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, workingDir.c_str(),
                          &startup, &info)) {
        throw std::runtime_error("cannot start " + Narrow(commandLine));
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

void App::DropFile(const std::wstring& path) const {
    // The drop's file list, built in the program's own memory as the shell would hand it over.
    std::string block(sizeof(DROPFILES), '\0');
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = TRUE;
    std::memcpy(block.data(), &header, sizeof header);
    const std::wstring list = path + L'\0' + L'\0';
    block.append(reinterpret_cast<const char*>(list.data()), list.size() * sizeof(wchar_t));
    void* remote = ::VirtualAllocEx(process_.Get(), nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (remote == nullptr || !::WriteProcessMemory(process_.Get(), remote, block.data(), block.size(), nullptr)) {
        throw std::runtime_error("cannot hand the drop to the program");
    }
    ::SendMessageW(window_, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0);
}

std::wstring App::DigestTip() const {
    HWND tip = nullptr;
    while ((tip = ::FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr)) != nullptr) {
        if (::GetWindow(tip, GW_OWNER) == window_) break;
    }
    if (tip == nullptr || ::SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0) == 0) return L"";
    // The message's tool and text buffer lie in the program's memory, where the tip writes.
    std::vector<wchar_t> text(4096, L'\0');
    const std::size_t bytes = sizeof(TOOLINFOW) + text.size() * sizeof(wchar_t);
    auto* remote = static_cast<char*>(::VirtualAllocEx(Process(), nullptr, bytes, MEM_COMMIT, PAGE_READWRITE));
    if (remote == nullptr) throw std::runtime_error("cannot allocate in the program's process");
    const runtime::ScopeGuard free([&] { ::VirtualFreeEx(Process(), remote, 0, MEM_RELEASE); });
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(DigestBox());
    tool.lpszText = reinterpret_cast<wchar_t*>(remote + sizeof tool);
    ::WriteProcessMemory(Process(), remote, &tool, sizeof tool, nullptr);
    ::SendMessageW(tip, TTM_GETTEXTW, text.size() - 1, reinterpret_cast<LPARAM>(remote));
    ::ReadProcessMemory(Process(), tool.lpszText, text.data(), (text.size() - 1) * sizeof(wchar_t), nullptr);
    return text.data();
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
