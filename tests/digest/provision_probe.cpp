// Creates one digest object per argument and digests the file it names, reporting what
// happened and the state of the engine file after each, so tests can run the real
// provisioning in a directory of their choosing by copying this program there.
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "digest/clsMD5.h"
#include "digest/engine_binding.h"
#include "runtime/error.h"

int main(int argc, char** argv) {
    int failures = 0;
    for (int i = 1; i < argc; ++i) {
        try {
            const digest::clsMD5 md5;
            const std::string hex = md5.DigestFileToHexStr(argv[i]);
            std::printf("digest %s\n", hex.c_str());
            struct stat st {};
            if (::stat(md5.EnginePath().c_str(), &st) == 0) {
                std::printf("engine %llu %lld.%09ld %lld\n", static_cast<unsigned long long>(st.st_ino),
                            static_cast<long long>(st.st_mtim.tv_sec), st.st_mtim.tv_nsec,
                            static_cast<long long>(st.st_size));
            }
        } catch (const runtime::Error& e) {
            std::printf("error %d %s\n", e.number(), e.what());
            std::printf("loaded %d\n", digest::engine::IsLoaded() ? 1 : 0);
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
