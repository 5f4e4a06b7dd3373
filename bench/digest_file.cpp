// Digests each named file as the window does (a fresh digest object per file, the engine put
// beside this program) and prints the digest the window would show, one line per file.
// The throughput, memory and SHA benchmarks run it as a child, as they run md5sum.
//   bench_digest_file [--also ALGORITHM | --only sha256 | --signature SIGNATURE KEYRING] FILE...
// --also computes that digest too (sha1, sha256, sha384, sha512) from the same reads, as the
// window does when a source gives one, and prints it after the MD5; --only sha256 computes the
// SHA-256 alone, from the platform's crypto, as openssl dgst would; --signature checks the file's
// own signature with gpgv from the same reads, as the window does, and fails unless it is good.
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "digest/clsMD5.h"
#include "digest/platform_hash.h"
#include "runtime/error.h"
#include "runtime/files.h"
#include "runtime/paths.h"
#include "runtime/text.h"
#include "verify/signature.h"

namespace {

std::optional<digest::Algorithm> Named(const std::string& name) {
    for (const digest::Algorithm a : digest::kAlgorithms) {
        std::string n(digest::NameOf(a));
        std::erase(n, '-');
        if (runtime::AsciiUpper(name) == n) return a;
    }
    return std::nullopt;
}

std::string Sha256Only(const std::string& path) {
    runtime::InputFile file(path);
    const auto hash = digest::PlatformHash::Create(digest::Algorithm::kSha256);
    const std::size_t size = std::size_t{128} << 10;  // as the window reads
    const runtime::ReadBuffer buffer = runtime::NewReadBuffer(size);
    for (std::size_t got; (got = file.Read(buffer.get(), size)) != 0;) hash->Update(buffer.get(), got);
    return hash->FinishHex();
}

}  // namespace

int main(int argc, char** argv) {
    int first = 1;
    std::vector<digest::Algorithm> also;
    bool onlySha256 = false;
    std::string signature, keyring;
    if (argc > 3 && std::strcmp(argv[1], "--signature") == 0) {
        signature = argv[2];
        keyring = argv[3];
        first = 4;
    } else if (argc > 2 && std::strcmp(argv[1], "--also") == 0) {
        const auto algorithm = Named(argv[2]);
        if (!algorithm) return 2;
        also.push_back(*algorithm);
        first = 3;
    } else if (argc > 2 && std::strcmp(argv[1], "--only") == 0 && std::strcmp(argv[2], "sha256") == 0) {
        onlySha256 = true;
        first = 3;
    }
    if (argc <= first) {
        std::fprintf(stderr, "usage: %s [--also ALGORITHM | --only sha256] FILE...\n", argv[0]);
        return 2;
    }
    for (int i = first; i < argc; ++i) {
        try {
            if (onlySha256) {
                std::printf("%s\n", runtime::AsciiUpper(Sha256Only(argv[i])).c_str());
                continue;
            }
            const digest::clsMD5 md5;
            const auto later = verify::SignatureCheck::Clock::now() + std::chrono::hours(1);
            std::optional<verify::SignatureCheck> check;
            std::vector<digest::clsMD5::Tap> taps;
            if (!signature.empty()) {
                check.emplace(verify::Verifier{runtime::GpgvProgram(), {keyring}}, signature, argv[i], later);
                taps.emplace_back([&check](std::span<const unsigned char> bytes) { check->Feed(bytes); });
            }
            const digest::FileDigests digests = md5.DigestFile(argv[i], also, nullptr, taps);
            if (check && check->Finish(later).check != verify::Signature::Check::kGood) return 1;
            std::printf("%s", runtime::ToUpper(digests.md5).c_str());
            for (const auto& [algorithm, hex] : digests.others) std::printf(" %s", runtime::AsciiUpper(hex).c_str());
            std::printf("\n");
            if (digests.others.size() != also.size()) return 1;
        } catch (const runtime::Error& e) {
            std::fprintf(stderr, "error %d: %s\n", e.number(), e.what());
            return 1;
        }
    }
    return 0;
}
