// A large package digested through the Windows program's window under Wine: the longest that
// the window took to answer a WM_NULL probe sent every few milliseconds from here, and the
// digest's time. window_wait.sh runs it beside md5sum on the same file.
//   bench_window_wait <Pellwick.exe> <package> [runs]
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/statistics.h"
#include "tests/win32/driver/support.h"
#include "window/controls_win32.h"

using Clock = std::chrono::steady_clock;

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_window_wait <Pellwick.exe> <package> [runs]\n");
        return 2;
    }
    const int runs = argc > 3 ? _wtoi(argv[3]) : 3;
    try {
        std::wstring commandLine = L"\"" + std::wstring(argv[1]) + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (!::CreateProcessW(argv[1], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &info)) {
            throw std::runtime_error("cannot start the program");
        }
        const runtime::win32::UniqueHandle process(info.hProcess), thread(info.hThread);
        const runtime::ScopeGuard stop([&] { ::TerminateProcess(process.Get(), 0); });
        HWND window = nullptr;
        if (!testwin::WaitFor(
                [&] { return (window = testwin::ShownWindowOf(info.dwProcessId, window::win32::kWindowClass)); })) {
            throw std::runtime_error("the window did not appear");
        }
        const HWND fileBox = ::GetDlgItem(window, window::win32::kIdFileName);
        std::vector<double> seconds, slowest;
        std::wstring digest;
        for (int i = 0; i < runs; ++i) {
            ::SendMessageW(fileBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
            std::atomic<bool> done{false};
            double took = 0, worst = 0;
            std::thread naming([&] {
                const auto start = Clock::now();
                ::SendMessageW(fileBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[2]));
                took = std::chrono::duration<double>(Clock::now() - start).count();
                done = true;
            });
            while (!done) {
                const auto start = Clock::now();
                DWORD_PTR result = 0;
                ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
                worst = std::max(worst, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
                ::Sleep(2);
            }
            naming.join();
            digest = testwin::WindowText(::GetDlgItem(window, window::win32::kIdMD5));
            seconds.push_back(took);
            slowest.push_back(worst);
            std::printf("run %d: %.3f s, slowest answer %.1f ms\n", i + 1, took, worst);
            std::fflush(stdout);
        }
        std::printf("%s %.3f %.1f\n", testwin::Narrow(digest).c_str(), testsupport::Median(seconds),
                    *std::max_element(slowest.begin(), slowest.end()));
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_window_wait: %s\n", e.what());
        return 1;
    }
}
