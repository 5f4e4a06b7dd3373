// Digest throughput of the Windows program's digest object on one file: prints the digest,
// the seconds the digest took and the rate. Run under Wine by throughput.sh beside md5sum.
#include <windows.h>

#include <cstdio>

#include "digest/clsMD5.h"
#include "runtime/error.h"
#include "runtime/text.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: digest_throughput <file> <rounds>\n");
        return 2;
    }
    const std::wstring wide(argv[1]);
    const std::string path = runtime::Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
    const int rounds = _wtoi(argv[2]);
    try {
        const digest::clsMD5 md5;
        md5.DigestStrToHexStr("");  // loads the engine outside the timed rounds
        LARGE_INTEGER frequency{}, start{}, end{};
        ::QueryPerformanceFrequency(&frequency);
        double best = 0;
        std::string hex;
        for (int i = 0; i < rounds; ++i) {
            ::QueryPerformanceCounter(&start);
            hex = md5.DigestFileToHexStr(path);
            ::QueryPerformanceCounter(&end);
            const double seconds =
                static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
            if (i == 0 || seconds < best) best = seconds;
        }
        WIN32_FILE_ATTRIBUTE_DATA data{};
        ::GetFileAttributesExW(argv[1], GetFileExInfoStandard, &data);
        const double bytes =
            static_cast<double>((static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
        std::printf("%s %.3f s %.1f MiB/s\n", hex.c_str(), best, bytes / best / (1024.0 * 1024.0));
        return 0;
    } catch (const runtime::Error& e) {
        std::fprintf(stderr, "error %d: %s\n", e.number(), e.text().c_str());
        return 1;
    }
}
