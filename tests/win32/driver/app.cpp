#include "app.h"

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
        throw std::runtime_error("cannot start " + Utf8(exe_.wstring()));
    }
    ::CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
    const bool up = WaitFor([this] {
        HWND w = nullptr;
        while ((w = ::FindWindowExW(nullptr, w, window::win32::kWindowClass, nullptr)) != nullptr) {
            DWORD pid = 0;
            const DWORD tid = ::GetWindowThreadProcessId(w, &pid);
            if (pid == processId_ && ::IsWindowVisible(w)) {
                window_ = w;
                threadId_ = tid;
                return true;
            }
        }
        return false;
    });
    if (!up) {
        ::TerminateProcess(process_, 1);
        ::CloseHandle(process_);
        throw std::runtime_error("the window did not appear");
    }
}

App::~App() {
    ::PostMessageW(window_, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process_, 5000) != WAIT_OBJECT_0) ::TerminateProcess(process_, 1);
    ::WaitForSingleObject(process_, 5000);
    ::CloseHandle(process_);
}

void App::SetFileName(const std::wstring& text) const {
    // Bounded, so that an unexpected message box fails the test instead of hanging the run.
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(FileNameBox(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, 30000,
                               &result)) {
        if (const HWND box = FindOwnedDialog(window_)) {
            const std::wstring message = DialogMessage(box);
            ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            throw std::runtime_error("the program showed a message box: " + Utf8(message));
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
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId_);
    if (snapshot == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot list the program's modules");
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = ::Module32FirstW(snapshot, &entry); more && !found; more = ::Module32NextW(snapshot, &entry)) {
        found = SameText(entry.szModule, name);
    }
    ::CloseHandle(snapshot);
    return found;
}

void App::LoadLibraryInside(const std::wstring& name) const {
    const std::size_t bytes = (name.size() + 1) * sizeof(wchar_t);
    void* text = ::VirtualAllocEx(process_, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (text == nullptr) throw std::runtime_error("cannot allocate in the program's process");
    const runtime::ScopeGuard freeText([&] { ::VirtualFreeEx(process_, text, 0, MEM_RELEASE); });
    if (!::WriteProcessMemory(process_, text, name.c_str(), bytes, nullptr)) {
        throw std::runtime_error("cannot write to the program's process");
    }
    // The system's kernel32 lies at the same address in every process.
    const auto load = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW")));
    const runtime::win32::UniqueHandle thread(::CreateRemoteThread(process_, nullptr, 0, load, text, 0, nullptr));
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

}  // namespace testwin
