// Checksum files: those beside a package, and one the person names; what they say the
// package's digest is. Plain functions of the file system: safe on any thread.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "verify/checksum_text.h"

namespace verify {

// No more than this many checksum files beside a package are read.
inline constexpr std::size_t kMostChecksumFiles = 64;

// True when the bare name ends in ".tar.gz", in any letter case.
bool IsPackageName(std::string_view bareName);

// The checksum files in the package's folder that may give its digest, in the order the
// caption names them: NAME.md5, NAME.md5sum, NAME.sha1 ... NAME.sha512sum for the package NAME,
// the lists (MD5SUMS, SHA256SUMS, SHASUMS256.txt, sha256sum.txt, CHECKSUMS ... in any letter
// case), files whose names end in "checksums.txt" or "CHECKSUM", and Debian source packages
// (*.dsc); at most kMostChecksumFiles. The folder is read once, and its listing kept while it
// stays unchanged.
std::vector<std::string> ChecksumFilesBeside(const std::string& packagePath, const std::string& packageName);

// What a checksum file says the package's digest is.
struct FileReading {
    std::vector<KeptEntry> entries;  // for the package, in file order
    bool signedList = false;         // from a clearsigned list, whose signature is not checked
    std::size_t unreadLine = 0;      // a line too long to read that may name the package, or 0
};

// The file read whole, as a stream; nothing when it cannot be read (a folder, a FIFO, no
// permission, gone, changed while read) or `stop` says so between reads. A line counts when its
// name leads to the package from the file's folder, by the names alone: no file a list names is
// ever opened.
std::optional<FileReading> ReadChecksumFile(const std::string& path, const std::string& packagePath,
                                            const std::string& packageName, const std::function<bool()>& stop);

// The path of the first package that the checksum file lists and that exists beside it, or "".
std::string FirstListedPackage(const std::string& checksumFile, const std::function<bool()>& stop);

}  // namespace verify
