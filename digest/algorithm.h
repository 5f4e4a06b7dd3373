// The digests a publisher may give: MD5, which the engine computes and the window shows, and the
// SHA family, which the platform's crypto computes only to check what a publisher gave.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace digest {

// Weakest first: a later one is the stronger.
enum class Algorithm { kMd5, kSha1, kSha256, kSha384, kSha512 };

inline constexpr std::array kAlgorithms = {Algorithm::kMd5, Algorithm::kSha1, Algorithm::kSha256, Algorithm::kSha384,
                                           Algorithm::kSha512};

// "MD5", "SHA-1", "SHA-256", "SHA-384", "SHA-512": as the window names them.
constexpr std::string_view NameOf(Algorithm algorithm) {
    constexpr std::string_view kNames[] = {"MD5", "SHA-1", "SHA-256", "SHA-384", "SHA-512"};
    return kNames[static_cast<std::size_t>(algorithm)];
}

// Hex digits of a digest: 32, 40, 64, 96, 128.
constexpr std::size_t HexDigitsOf(Algorithm algorithm) {
    constexpr std::size_t kDigits[] = {32, 40, 64, 96, 128};
    return kDigits[static_cast<std::size_t>(algorithm)];
}

// The algorithm whose digests have that many hex digits.
constexpr std::optional<Algorithm> AlgorithmWithDigits(std::size_t digits) {
    for (const Algorithm a : kAlgorithms) {
        if (HexDigitsOf(a) == digits) return a;
    }
    return std::nullopt;
}

// What one read of a file gave: the engine's MD5 and the other digests asked for.
struct FileDigests {
    std::string md5;                                        // lowercase hex, from the engine
    std::vector<std::pair<Algorithm, std::string>> others;  // lowercase hex, from the platform's crypto
    std::vector<std::pair<Algorithm, std::string>> failed;  // asked for, but the platform's crypto failed: why
    std::uint64_t size = 0;                                 // bytes digested
};

}  // namespace digest
