// The one interface of the readers of checksum forms (forms.h lists them): each is told every line
// of a checksum file's text, in order, whatever another form makes of the line, and tells each
// entry it reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "digest/algorithm.h"

namespace verify {

// One line of a checksum file's text, without its line end.
struct Line {
    std::string_view text;
    std::size_t number = 0;  // from 1
    bool cut = false;        // too long to keep whole: `text` is only its start
};

// One entry of a checksum file: the digest as written (any case) and the name it is for. The
// views last while the reader's `Found` runs.
struct ChecksumEntry {
    digest::Algorithm algorithm;
    std::string_view hex;
    std::string_view name;
    std::optional<std::uint64_t> size;  // a Debian source package's fields give the file's size too
};

// What a checksum file's name says of the forms in it.
struct FileKind {
    std::optional<digest::Algorithm> algorithm;  // the one the name gives: SHA256SUMS, NAME.sha256...
    std::string stem;                            // NAME, for a file NAME.sha256 and the like
    bool dsc = false;                            // a Debian source package's description
};

class FormReader {
public:
    // Told each entry and the number of the line it starts on.
    using Found = std::function<void(const ChecksumEntry& entry, std::size_t line)>;

    // What every reader is made with. With `packageName`, a reader may pass over entries whose name
    // does not end in it: a long list is read faster when the lines for other files are passed
    // over early.
    struct Context {
        FileKind kind;
        std::string packageName;
        Found found;
    };

    virtual ~FormReader() = default;
    virtual void Read(const Line& line) = 0;
    // The end of the text: an entry still in the making is complete.
    virtual void End() {}
};

bool IsHexDigits(std::string_view text);

// A plain name ends at a NUL, as the reference tools take it.
std::string_view UpToNul(std::string_view name);

// True when an entry's name may be for the package named `packageName` ("" for any package).
bool MayName(std::string_view name, std::string_view packageName);

}  // namespace verify
