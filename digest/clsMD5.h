// The digest object: the MD5 digest of a file's content or of a text, as 32 lowercase hex
// digits, computed by the engine library that the program carries and puts beside itself; and,
// from the same reads of a file, the other digests a publisher may give.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "digest/algorithm.h"

namespace digest {

class clsMD5 {
public:
    clsMD5();
    ~clsMD5();
    clsMD5(const clsMD5&) = delete;
    clsMD5& operator=(const clsMD5&) = delete;

    // Told the bytes read so far and the file's size after each system read; answers false to
    // stop the digest, which then throws Cancelled.
    using ReadProgress = std::function<bool(std::uint64_t done, std::uint64_t total)>;
    struct Cancelled {};

    std::string DigestFileToHexStr(const std::string& FileName) const;
    std::string DigestFileToHexStr(const std::string& FileName, const ReadProgress& progress) const;
    // Given every read of the file, in order, on a thread of its own: a check fed the same bytes.
    using Tap = std::function<void(std::span<const unsigned char> bytes)>;

    // The file read once: every block goes to the engine's MD5, as DigestFileToHexStr feeds it,
    // and to each of `others` and `taps`, each on a thread of its own. The engine's errors, and the
    // file's, are thrown; a failure of the platform's crypto only leaves that digest out.
    FileDigests DigestFile(const std::string& FileName, std::span<const Algorithm> others, const ReadProgress& progress,
                           std::span<const Tap> taps = {}) const;
    std::string DigestStrToHexStr(const std::string& SourceString) const;

    const std::string& EnginePath() const { return mEnginePath; }

    // One byte per character of the text, in the ANSI code page, plus a closing 0.
    static std::vector<unsigned char> StringToBytes(const std::string& text);
    static std::string BytesToHexStr(std::span<const unsigned char> bytes);

private:
    void Class_Initialize();
    void Class_Terminate();
    static bool ExtractResourceToFile(const std::string& targetPath, int resourceId, const std::string& typeName);

    std::string mEnginePath;
};

}  // namespace digest
