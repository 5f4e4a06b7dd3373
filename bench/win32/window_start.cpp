// Time from start to a shown window under Wine: Pellwick until its window shows with the
// digest of the stored package, against a plain Win32 window with the same controls, started
// the same way in the same run, the runs of each interleaved.
//   bench_window_start <Pellwick.exe> <reference_window.exe> [runs]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

HWND ShownWindow(DWORD processId, const wchar_t* cls) {
    HWND w = nullptr;
    while ((w = ::FindWindowExW(nullptr, w, cls, nullptr)) != nullptr) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(w, &pid);
        if (pid == processId && ::IsWindowVisible(w)) return w;
    }
    return nullptr;
}

std::wstring Text(HWND control) {
    wchar_t text[64] = {};
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(control, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 1000, &ignored);
    return text;
}

// Milliseconds from CreateProcess until `ready` holds for the process's shown window.
template <typename Ready>
double TimeStart(const fs::path& exe, const wchar_t* cls, Ready ready) {
    std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const auto start = Clock::now();
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          exe.parent_path().c_str(), &startup, &info)) {
        std::fprintf(stderr, "cannot start %ls\n", exe.c_str());
        std::exit(1);
    }
    HWND window = nullptr;
    for (;;) {
        if ((window = ShownWindow(info.dwProcessId, cls)) != nullptr && ready(window)) break;
        if (Clock::now() - start > std::chrono::seconds(30)) {
            std::fprintf(stderr, "%ls did not come up (window %p, digest box \"%ls\")\n", exe.c_str(),
                         static_cast<void*>(window), window ? Text(::GetDlgItem(window, 1003)).c_str() : L"");
            std::exit(1);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0) ::TerminateProcess(info.hProcess, 1);
    ::CloseHandle(info.hProcess);
    ::CloseHandle(info.hThread);
    return ms;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_window_start <Pellwick.exe> <reference_window.exe> [runs]\n");
        return 2;
    }
    const int runs = argc > 3 ? std::max(1, _wtoi(argv[3])) : 10;
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const fs::path work = fs::path(temp) / (L"pellwick-start-" + std::to_wstring(::GetCurrentProcessId()));
    fs::remove_all(work);
    fs::create_directories(work / L"program");
    fs::create_directories(work / L"reference");
    const fs::path pellwick = work / L"program" / L"Pellwick.exe";
    const fs::path reference = work / L"reference" / L"reference_window.exe";
    fs::copy_file(argv[1], pellwick);
    fs::copy_file(argv[2], reference);

    // The stored setting names a package, so the window comes up with its digest.
    const fs::path package = work / L"start.tar.gz";
    std::ofstream(package, std::ios::binary) << std::string(64 * 1024, 'p');
    const std::wstring value = package.wstring();
    ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Quorrel\\Settings", L"QRL_Dir", REG_SZ, value.c_str(),
                      static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));

    const auto withDigest = [](HWND window) { return Text(::GetDlgItem(window, 1003)).size() == 32; };
    const auto shown = [](HWND) { return true; };
    // One of each first: the prefix's first windows pay for fonts and caches.
    TimeStart(pellwick, L"Pellwick.frmMain", withDigest);
    TimeStart(reference, L"PellwickReference", shown);

    std::vector<double> steady, fresh, plain;
    for (int i = 0; i < runs; ++i) {
        steady.push_back(TimeStart(pellwick, L"Pellwick.frmMain", withDigest));
        fs::remove(work / L"program" / L"md5.dll");
        fresh.push_back(TimeStart(pellwick, L"Pellwick.frmMain", withDigest));
        plain.push_back(TimeStart(reference, L"PellwickReference", shown));
    }
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Quorrel\\Settings", L"QRL_Dir");
    fs::remove_all(work);

    const double s = Median(steady), f = Median(fresh), p = Median(plain);
    std::printf("start to shown window under Wine, median of %d:\n", runs);
    std::printf("  Pellwick with its first digest:              %7.1f ms\n", s);
    std::printf("  the same, writing the engine (fresh folder): %7.1f ms\n", f);
    std::printf("  plain Win32 window with the same controls:   %7.1f ms\n", p);
    std::printf("ratio Pellwick / plain window: %.2f (writing the engine: %.2f)\n", s / p, f / p);
    return 0;
}
