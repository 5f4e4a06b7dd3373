// Digest throughput of the Windows program's digest object on one file: prints the digest(s),
// the seconds the digest took and the rate. Run under Wine by throughput.sh beside md5sum and
// openssl. The mode: md5 (the window's digest), md5+sha256 (both from one read, as when a source
// gives a SHA-256), sha256 (the system's CNG alone, as openssl dgst computes it).
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "digest/clsMD5.h"
#include "digest/platform_hash.h"
#include "runtime/error.h"
#include "runtime/files.h"
#include "runtime/text.h"

namespace {

std::string Sha256Alone(const std::string& path) {
    runtime::InputFile file(path);
    const auto hash = digest::PlatformHash::Create(digest::Algorithm::kSha256);
    const std::size_t size = std::size_t{128} << 10;
    const runtime::ReadBuffer buffer = runtime::NewReadBuffer(size);  // as the window reads
    for (std::size_t got; (got = file.Read(buffer.get(), size)) != 0;) hash->Update(buffer.get(), got);
    return hash->FinishHex();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: digest_throughput <file> <rounds> [md5|md5+sha256|sha256]\n");
        return 2;
    }
    const std::wstring wide(argv[1]);
    const std::string path = runtime::Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
    const int rounds = _wtoi(argv[2]);
    const std::wstring mode = argc == 4 ? argv[3] : L"md5";
    const digest::Algorithm sha256[] = {digest::Algorithm::kSha256};
    try {
        const digest::clsMD5 md5;
        md5.DigestStrToHexStr("");  // loads the engine outside the timed rounds
        LARGE_INTEGER frequency{}, start{}, end{};
        ::QueryPerformanceFrequency(&frequency);
        double best = 0;
        std::string hex;
        for (int i = 0; i < rounds; ++i) {
            ::QueryPerformanceCounter(&start);
            if (mode == L"sha256") {
                hex = runtime::AsciiUpper(Sha256Alone(path));
            } else if (mode == L"md5+sha256") {
                const digest::FileDigests both = md5.DigestFile(path, sha256, nullptr);
                hex = both.md5 + "+" + (both.others.empty() ? "?" : runtime::AsciiUpper(both.others[0].second));
            } else {
                hex = md5.DigestFileToHexStr(path);
            }
            ::QueryPerformanceCounter(&end);
            const double seconds =
                static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
            if (i == 0 || seconds < best) best = seconds;
        }
        WIN32_FILE_ATTRIBUTE_DATA data{};
        ::GetFileAttributesExW(argv[1], GetFileExInfoStandard, &data);
        const double bytes =
            static_cast<double>((static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
        std::printf("%s %.3f s %.1f MiB/s\n", runtime::AsciiUpper(hex).c_str(), best, bytes / best / (1024.0 * 1024.0));
        return 0;
    } catch (const runtime::Error& e) {
        std::fprintf(stderr, "error %d: %s\n", e.number(), e.text().c_str());
        return 1;
    }
}
