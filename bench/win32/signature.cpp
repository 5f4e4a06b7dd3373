// What a list's signature adds to the verdict under Wine: a 1 MiB MD5SUMS read as the window reads
// a source, with its MD5SUMS.asc checked by gpgv.exe against a keyring that holds its key, and the
// same list without a signature, in alternation; the medians and their difference.
//   signature.exe SIGNED_FOLDER UNSIGNED_FOLDER KEYRING GPGV RUNS
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "runtime/system_win32.h"
#include "verify/checksum_files.h"

namespace {

double Median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 6) return 2;
    const std::string signedFolder = runtime::win32::Narrow(argv[1]), unsignedFolder = runtime::win32::Narrow(argv[2]);
    const verify::Verifier verifier{runtime::win32::Narrow(argv[4]), {runtime::win32::Narrow(argv[3])}};
    const int runs = std::stoi(argv[5]);
    std::vector<double> signedMs, unsignedMs;
    for (int i = -1; i < runs; ++i) {
        for (const bool isSigned : {true, false}) {
            const std::string folder = isSigned ? signedFolder : unsignedFolder;
            const auto start = std::chrono::steady_clock::now();
            const auto source = verify::ReadChecksumFile(folder + "\\MD5SUMS", folder + "\\project-1.0.tar.gz",
                                                         "project-1.0.tar.gz", nullptr, verifier);
            const double ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            const bool good =
                source && source->signature && source->signature->check == verify::Signature::Check::kGood;
            if (!source || good != isSigned) {
                std::fprintf(stderr, "%s: %s\n", folder.c_str(),
                             source && source->signature ? source->signature->Detail().c_str() : "no source");
                return 1;
            }
            if (i >= 0) (isSigned ? signedMs : unsignedMs).push_back(ms);
        }
    }
    std::printf("1 MiB MD5SUMS read as a source, median of %d: %.2f ms unsigned, %.2f ms with its signature\n", runs,
                Median(unsignedMs), Median(signedMs));
    std::printf("what the list's signature adds under Wine: %.2f ms\n", Median(signedMs) - Median(unsignedMs));
    return 0;
}
