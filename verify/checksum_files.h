// Checksum files: those beside a package, and one the person names; what they say the
// package's digest is. Plain functions of the file system: safe on any thread.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "verify/verdict.h"

namespace verify {

// No more than this is read of a checksum file.
inline constexpr std::size_t kChecksumFileLimit = std::size_t{1} << 20;

// True when the bare name ends in ".tar.gz", in any letter case.
bool IsPackageName(std::string_view bareName);

// True for NAME.md5, NAME.md5sum (any case), and the list files MD5SUMS, MD5SUMS.txt,
// md5sums, md5sums.txt (as the platform compares names).
bool IsChecksumFileName(std::string_view bareName);

// The expected digests for the package at `packagePath` (whose found bare name is
// `packageName`), in order: from `namedFile` (a checksum file the person named, or ""), then
// from NAME.md5, NAME.md5sum and the list files beside the package. A file that cannot be read,
// or names the package nowhere, adds nothing; none is read beyond kChecksumFileLimit.
std::vector<Expectation> ExpectedFromFiles(const std::string& packagePath, const std::string& packageName,
                                           const std::string& namedFile);

// The path of the first package that the checksum file lists and that exists, or "".
std::string FirstListedPackage(const std::string& checksumFile);

}  // namespace verify
