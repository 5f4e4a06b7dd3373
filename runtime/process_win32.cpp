#include <cstdint>
#include <random>

#include "runtime/error.h"
#include "runtime/process_platform.h"
#include "runtime/system_win32.h"

namespace runtime {

namespace {

using win32::UniqueHandle;
using win32::Wide;

// One argument as the C runtime's command-line parser reads it back: quoted, with the
// backslashes before a quote doubled.
std::wstring Quoted(const std::wstring& argument) {
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(2 * backslashes, L'\\');
    return out + L"\"";
}

class Win32Child final : public ChildProcess::Platform {
public:
    Win32Child(UniqueHandle process, UniqueHandle input, UniqueHandle output)
        : process_(std::move(process)), input_(std::move(input)), output_(std::move(output)) {}

    bool Write(std::span<const unsigned char> bytes) override {
        while (!bytes.empty()) {
            DWORD written = 0;
            const DWORD size = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
            if (!input_ || !::WriteFile(input_.Get(), bytes.data(), size, &written, nullptr) || written == 0)
                return false;
            bytes = bytes.subspan(written);
        }
        return true;
    }
    void CloseInput() override { input_.Reset(); }
    std::size_t Read(char* buffer, std::size_t capacity) override {
        DWORD got = 0;
        if (!::ReadFile(output_.Get(), buffer, static_cast<DWORD>(capacity), &got, nullptr)) return 0;
        return got;
    }
    void Kill() override { ::TerminateProcess(process_.Get(), 1); }
    void Wait() override { ::WaitForSingleObject(process_.Get(), INFINITE); }

private:
    UniqueHandle process_, input_, output_;
};

[[noreturn]] void ThrowStartError(const std::string& program) {
    const DWORD code = ::GetLastError();
    throw Error(code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ? kFileNotFound : kPathFileAccessError,
                "Cannot start " + runtime::Quoted(program) + ": " + win32::Reason(code));
}

using UniqueAttributes = UniqueResource<LPPROC_THREAD_ATTRIBUTE_LIST, &::DeleteProcThreadAttributeList>;

}  // namespace

std::unique_ptr<ChildProcess::Platform> ChildProcess::Platform::Start(const std::string& program,
                                                                      const std::vector<std::string>& arguments) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    UniqueHandle theirInput, ourInput, ourOutput, theirOutput;
    if (!::CreatePipe(theirInput.Out(), ourInput.Out(), &inherited, 0) ||
        !::CreatePipe(ourOutput.Out(), theirOutput.Out(), &inherited, 0) ||
        !::SetHandleInformation(ourInput.Get(), HANDLE_FLAG_INHERIT, 0) ||
        !::SetHandleInformation(ourOutput.Get(), HANDLE_FLAG_INHERIT, 0)) {
        ThrowStartError(program);
    }
    const UniqueHandle nothing(win32::NullIfInvalid(::CreateFileW(
        L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, OPEN_EXISTING, 0, nullptr)));
    if (!nothing) ThrowStartError(program);

    // Only these three handles go to the child, whatever else another thread opens meanwhile.
    HANDLE handles[] = {theirInput.Get(), theirOutput.Get(), nothing.Get()};
    SIZE_T size = 0;
    ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    std::vector<unsigned char> storage(size);
    UniqueAttributes attributes;
    if (!::InitializeProcThreadAttributeList(reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage.data()), 1, 0,
                                             &size)) {
        ThrowStartError(program);
    }
    attributes.Reset(reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage.data()));
    if (!::UpdateProcThreadAttribute(attributes.Get(), 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles, sizeof handles,
                                     nullptr, nullptr)) {
        ThrowStartError(program);
    }
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = theirInput.Get();
    startup.StartupInfo.hStdOutput = theirOutput.Get();
    startup.StartupInfo.hStdError = nothing.Get();
    startup.lpAttributeList = attributes.Get();
    const std::wstring path = Wide(program);
    std::wstring commandLine = Quoted(path);
    for (const std::string& argument : arguments) commandLine += L" " + Quoted(Wide(argument));
    PROCESS_INFORMATION info{};
    // By its full path as the application name: never looked up in the current folder or PATH.
    if (!::CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                          CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT, nullptr, nullptr, &startup.StartupInfo,
                          &info)) {
        ThrowStartError(program);
    }
    const UniqueHandle thread(info.hThread);
    return std::make_unique<Win32Child>(UniqueHandle(info.hProcess), std::move(ourInput), std::move(ourOutput));
}

PrivateFolder::PrivateFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
    std::random_device random;
    for (int attempt = 0; length > 0 && attempt < 16; ++attempt) {
        const std::wstring path = std::wstring(temp, length) + L"pellwick-" + std::to_wstring(random());
        // Made by this call or not at all: an existing folder is someone else's.
        if (::CreateDirectoryW(path.c_str(), nullptr)) {
            path_ = win32::Narrow(path);
            return;
        }
        if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    throw Error(kPathFileAccessError,
                "Cannot make a folder in the temporary folder: " + win32::Reason(::GetLastError()));
}

PrivateFolder::~PrivateFolder() {
    ::RemoveDirectoryW(Wide(path_).c_str());
}

}  // namespace runtime
