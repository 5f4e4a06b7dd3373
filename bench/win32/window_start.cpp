// Time from start to a shown window under Wine: Pellwick until its window shows with the
// digest of the stored package, against a plain Win32 window with the same controls, started
// the same way in the same run, the runs of each interleaved.
//   bench_window_start <Pellwick.exe> <reference_window.exe> [runs]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/statistics.h"
#include "tests/win32/driver/support.h"
#include "window/controls_win32.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

std::wstring DigestText(HWND window) {
    return testwin::WindowText(::GetDlgItem(window, window::win32::kIdMD5));
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
        throw std::runtime_error("cannot start " + testwin::Narrow(exe.wstring()));
    }
    const runtime::win32::UniqueHandle process(info.hProcess), thread(info.hThread);
    HWND window = nullptr;
    for (;;) {
        if ((window = testwin::ShownWindowOf(info.dwProcessId, cls)) != nullptr && ready(window)) break;
        if (Clock::now() - start > std::chrono::seconds(30)) {
            ::TerminateProcess(process.Get(), 1);
            throw std::runtime_error(testwin::Narrow(exe.wstring()) + " did not come up (digest box \"" +
                                     (window ? testwin::Narrow(DigestText(window)) : "no window") + "\")");
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process.Get(), 10000) != WAIT_OBJECT_0) ::TerminateProcess(process.Get(), 1);
    return ms;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_window_start <Pellwick.exe> <reference_window.exe> [runs]\n");
        return 2;
    }
    const int runs = argc > 3 ? std::max(1, _wtoi(argv[3])) : 10;
    try {
        const testwin::TempTree work;
        fs::create_directories(work / L"program");
        fs::create_directories(work / L"reference");
        const fs::path pellwick = work / L"program" / L"Pellwick.exe";
        const fs::path reference = work / L"reference" / L"reference_window.exe";
        fs::copy_file(argv[1], pellwick);
        fs::copy_file(argv[2], reference);

        // The stored setting names a package, so the window comes up with its digest.
        const fs::path package = work / L"start.tar.gz";
        testwin::WriteBytes(package, std::string(64 * 1024, 'p'));
        testwin::SetInstallerDirectory(package.c_str());

        const auto withDigest = [](HWND window) { return DigestText(window).size() == 32; };
        const auto shown = [](HWND) { return true; };
        // One of each first: the prefix's first windows pay for fonts and caches.
        TimeStart(pellwick, window::win32::kWindowClass, withDigest);
        TimeStart(reference, L"PellwickReference", shown);

        std::vector<double> steady, fresh, plain;
        for (int i = 0; i < runs; ++i) {
            steady.push_back(TimeStart(pellwick, window::win32::kWindowClass, withDigest));
            fs::remove(work / L"program" / L"md5.dll");
            fresh.push_back(TimeStart(pellwick, window::win32::kWindowClass, withDigest));
            plain.push_back(TimeStart(reference, L"PellwickReference", shown));
        }
        testwin::SetInstallerDirectory(nullptr);

        const double s = testsupport::Median(steady), f = testsupport::Median(fresh), p = testsupport::Median(plain);
        std::printf("start to shown window under Wine, median of %d:\n", runs);
        std::printf("  Pellwick with its first digest:              %7.1f ms\n", s);
        std::printf("  the same, writing the engine (fresh folder): %7.1f ms\n", f);
        std::printf("  plain Win32 window with the same controls:   %7.1f ms\n", p);
        std::printf("ratio Pellwick / plain window: %.2f (writing the engine: %.2f)\n", s / p, f / p);
        return 0;
    } catch (const std::exception& e) {
        testwin::SetInstallerDirectory(nullptr);
        std::fprintf(stderr, "bench_window_start: %s\n", e.what());
        return 1;
    }
}
