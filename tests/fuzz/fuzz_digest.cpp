// Arbitrary content, fed to the carried engine through the program's binding in arbitrary
// splits, and written to a file for the file digest: both must equal libmd's one-shot
// digest of the same bytes.
#include <md5.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "digest/clsMD5.h"
#include "digest/engine_binding.h"

namespace {

std::string gFile;

void RemoveFile() {
    std::remove(gFile.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string pattern = (std::filesystem::temp_directory_path() / "pellwick-fuzz-XXXXXX.tar.gz").string();
    const int fd = ::mkstemps(pattern.data(), 7);
    if (fd < 0) std::abort();
    ::close(fd);
    gFile = pattern;
    std::atexit(RemoveFile);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first byte picks the split sizes; the rest is the message.
    if (size == 0) return 0;
    const unsigned seed = data[0];
    const unsigned char* message = data + 1;
    const std::size_t length = size - 1;

    char oneShot[MD5_DIGEST_STRING_LENGTH];
    MD5Data(message, length, oneShot);

    const digest::clsMD5 md5;
    digest::MD5Context context{};
    unsigned char out[16];
    const digest::engine::Functions& engine = digest::engine::Bind(md5.EnginePath());
    engine.Init(&context);
    std::size_t at = 0;
    for (unsigned step = 1; at < length; ++step) {
        const std::size_t piece = std::min<std::size_t>(length - at, 1 + (seed * step * 37u) % 131u);
        engine.Update(&context, message + at, piece);
        at += piece;
    }
    engine.Final(out, &context);
    if (digest::clsMD5::BytesToHexStr(out) != oneShot) std::abort();

    FILE* f = std::fopen(gFile.c_str(), "wb");
    if (f == nullptr) std::abort();
    std::fwrite(message, 1, length, f);
    std::fclose(f);
    if (md5.DigestFileToHexStr(gFile) != oneShot) std::abort();
    return 0;
}
