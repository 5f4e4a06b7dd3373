// The kinds of sources of expected digests, each in a file of its own; sources.cpp lists them in
// the order the caption names them. A new kind is a SourceKind in a new file, declared here, and
// a row in that list.
#pragma once

#include <string_view>

#include "verify/sources.h"

namespace verify {

// A checksum file the person named: on the command line, dropped, opened with (source_named_file.cpp).
extern const SourceKind kNamedFileSource;
// The checksum files beside the package (source_files_beside.cpp).
extern const SourceKind kFilesBesideSource;
// A digest, or a checksum line, on the clipboard (source_clipboard.cpp).
extern const SourceKind kClipboardSource;
// The package's own signature, NAME.sig or NAME.asc beside it (source_package_signature.cpp):
// checked from the package's reads, so it is finished only once they are.
extern const SourceKind kPackageSignatureSource;

// A longer clipboard text is not taken for a digest.
inline constexpr std::size_t kClipboardLimit = 4096;

// The clipboard's text as a source: one hex token of an algorithm's length, or one checksum line
// for the package's bare name; nothing for a text longer than kClipboardLimit.
std::optional<Source> SourceFromClipboard(std::string_view text, const std::string& packageName);

}  // namespace verify
