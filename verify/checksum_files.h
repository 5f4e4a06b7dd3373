// Checksum files: their names, those beside a package, and what one says the package's digest is.
// Plain functions of the file system: safe on any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "verify/form_reader.h"
#include "verify/signature.h"
#include "verify/source.h"

namespace verify {

// No more than this many checksum files beside a package are read.
inline constexpr std::size_t kMostChecksumFiles = 64;
// A file handed over that is not named like a checksum file is read as one only up to this size.
inline constexpr std::uint64_t kLargestUnnamedList = std::uint64_t{16} << 20;

// True when the bare name ends in ".tar.gz", in any letter case.
bool IsPackageName(std::string_view bareName);

// True for a name that checksum files of packages have: NAME.md5 ... NAME.sha512sum, the lists
// (MD5SUMS, SHA256SUMS, SHASUMS256.txt, sha256sum.txt, CHECKSUMS ... in any letter case), names
// that end in "checksums.txt" or "CHECKSUM", and Debian source packages' *.dsc.
bool IsChecksumFileName(std::string_view bareName);

// The file a signature signs, named by the signature's own name (NAME.sig, SHA256SUMS.asc,
// sha256sum.txt.gpg); nothing for another name.
std::optional<std::string> SignedFileOf(const std::string& path);

// What the file's name says of the forms in it.
FileKind FileKindOf(std::string_view bareName);

// The checksum files in the package's folder that may give its digest, in the order the caption
// names them: NAME.md5, NAME.md5sum, NAME.sha1 ... NAME.sha512sum, the lists, the names with those
// endings, the .dsc files. At most kMostChecksumFiles; those dropped are counted in `passedOver`,
// and are never NAME.* nor a .dsc named for the package's source and version. The folder is read
// once, and its listing kept while it stays unchanged.
struct ChecksumFiles {
    std::vector<std::string> paths;
    std::size_t passedOver = 0;
};
ChecksumFiles ChecksumFilesBeside(const std::string& packagePath, const std::string& packageName);

// The source that a checksum file is, read whole as a stream: its entries for the package, with the
// notes the tooltip gives of it; nothing when it gives neither, when it cannot be read (a folder, a
// FIFO, no permission, gone, changed while read), or when `cancelled` says so between reads. A line
// counts when its name leads to the package from the file's folder, by the names alone: no file a
// list names is ever opened. Where the file gives the package's digest, its signature (that of its
// clearsigned message, else LIST.asc, LIST.sig or LIST.gpg beside it) is checked by `verifier`.
std::optional<Source> ReadChecksumFile(const std::string& path, const std::string& packagePath,
                                       const std::string& packageName, const std::function<bool()>& cancelled,
                                       const Verifier& verifier = {});

// The path of the first package that the checksum file lists and that exists beside it, or "".
// A file not named like a checksum file and larger than kLargestUnnamedList is not read.
std::string FirstListedPackage(const std::string& checksumFile, const std::function<bool()>& cancelled);

}  // namespace verify
