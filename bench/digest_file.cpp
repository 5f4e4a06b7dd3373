// Digests each named file as the window does (a fresh digest object per file, the engine put
// beside this program) and prints the digest the window would show, one line per file.
// The throughput and memory benchmarks run it as a child, as they run md5sum.
#include <cstdio>
#include <string>

#include "digest/clsMD5.h"
#include "runtime/error.h"
#include "runtime/text.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE...\n", argv[0]);
        return 2;
    }
    for (int i = 1; i < argc; ++i) {
        try {
            const digest::clsMD5 md5;
            std::printf("%s\n", runtime::ToUpper(md5.DigestFileToHexStr(argv[i])).c_str());
        } catch (const runtime::Error& e) {
            std::fprintf(stderr, "error %d: %s\n", e.number(), e.what());
            return 1;
        }
    }
    return 0;
}
