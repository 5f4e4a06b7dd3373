// The lines of checksum files, read as `md5sum -c`, `sha1sum -c`, `sha256sum -c`, `sha384sum -c`
// and `sha512sum -c` read them, and the forms they do not read but publishers write: OpenSSL's
// `dgst` lines, GnuPG's `--print-md` blocks, and the checksum fields of Debian source packages.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "digest/algorithm.h"

namespace verify {

// One entry of a checksum file: the digest as written (any case) and the name it is for.
struct ChecksumEntry {
    digest::Algorithm algorithm;
    std::string_view hex;
    std::string_view name;
    std::optional<std::uint64_t> size;  // a Debian source package's fields give the file's size too
};

// Reads one checksum file's lines in order (each without its line end). The reference tools fix
// the form of a list from its first "HEX NAME" line, each tool for its own digest length: after
// "HEX NAME" (one blank) a later "HEX  NAME" names " NAME", after "HEX  NAME" a later one-blank
// line is no checksum line. So one reader serves one file.
class ChecksumLines {
public:
    // Told each entry and the number of the line it starts on; the views last until it returns.
    using Found = std::function<void(const ChecksumEntry& entry, std::size_t line)>;

    // With `bareName`, only entries whose name ends in that bare name are told: a long list is
    // read faster when the lines for other files are passed over early.
    explicit ChecksumLines(Found found, std::string bareName = "")
        : found_(std::move(found)), bareName_(std::move(bareName)) {}

    // `cut` marks a line that was too long to keep whole: it still sets the list's form, as the
    // reference tools would, but gives no entry.
    void Line(std::string_view line, std::size_t number, bool cut = false);
    // The end of the file: a GnuPG block still open is complete.
    void End();

private:
    enum class Form : signed char { kUnknown, kTwoCharacters, kOneBlank };
    enum class Field { kNone, kFiles, kSha1, kSha256, kSha512 };

    bool ReadsAsGnuOrTagged(std::string_view line, std::size_t number, bool cut);
    bool StartsField(std::string_view line);
    void FieldLine(std::string_view line, std::size_t number);
    bool ContinuesBlock(std::string_view line);
    bool StartsBlock(std::string_view line, std::size_t number);
    void EndBlock();

    bool MayBeFor(std::string_view name, bool escaped) const;

    Found found_;
    std::string bareName_;
    std::array<Form, digest::kAlgorithms.size()> forms_{};
    Field field_ = Field::kNone;
    std::string scratch_;  // an unescaped name
    // A GnuPG block in the making: its name, its digits so far, its first line.
    std::string blockName_, blockHex_;
    std::size_t blockLine_ = 0;
};

bool IsHexDigits(std::string_view text);

// The digest when the whole text, blanks and line ends aside, is one hex token of an
// algorithm's length.
std::optional<ChecksumEntry> ParseBareDigest(std::string_view text);

// The name as a checksum line writes it when it holds a backslash or a line end ("\\", "\n",
// "\r"), else unchanged.
std::string EscapedName(std::string_view name);

}  // namespace verify
