// A checksum file's text, read as a stream in bounded memory: UTF-8 (with or without its mark) or
// UTF-16 with its mark (a UTF-16 file without one is not guessed), cut into lines that end at LF
// with one CR before it dropped. A clearsigned list is read between its header and its signature
// with the "- " escapes undone, and is said to be signed; a file that starts like one but is not
// well formed is read as plain lines. No line is kept beyond kLineLimit: a longer one still sets
// the list's form, and is noted when it may name the package, since what it says is not known.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "verify/checksum_lines.h"

namespace verify {

inline constexpr std::size_t kLineLimit = std::size_t{64} << 10;

// An entry kept for the package, with its line.
struct KeptEntry {
    digest::Algorithm algorithm;
    std::string hex;
    std::optional<std::uint64_t> size;
    std::size_t line = 0;
};

class ChecksumText {
public:
    // `keeps` says whether an entry is for the package; `packageName` is the package's bare name,
    // looked for in lines too long to read.
    ChecksumText(std::string packageName, std::function<bool(const ChecksumEntry&)> keeps);
    ChecksumText(const ChecksumText&) = delete;
    ChecksumText& operator=(const ChecksumText&) = delete;

    void Feed(std::string_view bytes);
    void End();

    // After End: the entries kept, in file order, and whether they come from a signed list.
    const std::vector<KeptEntry>& Entries() const;
    bool Signed() const;
    // After End: the digest when the whole text is one hex token of an algorithm's length.
    std::optional<KeptEntry> BareDigest() const;
    // The first line too long to read that may name the package, or 0.
    std::size_t UnreadLine() const { return unreadLine_; }

private:
    enum class Encoding { kUnknown, kUtf8, kUtf16Le, kUtf16Be };
    enum class Armour { kNone, kHeader, kBody, kSignature, kWhole, kBroken };

    // Keeps into `entries` what `keeps_` accepts of what one reading finds.
    ChecksumLines::Found KeepingInto(std::vector<KeptEntry>& entries);
    void DecideEncoding();
    void Decode(std::string_view bytes);
    void Split(std::string_view text);
    void Append(std::string_view piece);
    void LineDone();
    void Take(std::string_view line, bool cut);
    void LookForName(std::string_view piece);

    std::string packageName_, escapedName_;
    std::function<bool(const ChecksumEntry&)> keeps_;
    Encoding encoding_ = Encoding::kUnknown;
    std::string head_;     // the first bytes, until the encoding is known
    std::string decoded_;  // UTF-16 made UTF-8
    unsigned char oddByte_ = 0;
    bool hasOddByte_ = false;
    char16_t highSurrogate_ = 0;

    std::string line_;  // the line in the making, when it spans reads
    bool cut_ = false;
    bool nameInCut_ = false;
    std::string tail_;  // the end of a cut line's text so far, to find a name split across reads
    std::size_t number_ = 0;
    std::size_t unreadLine_ = 0;

    std::vector<KeptEntry> plainEntries_, armouredEntries_;  // before the readings that fill them
    ChecksumLines plain_, armoured_;
    Armour armour_ = Armour::kNone;
    // The one token of a text that is nothing but a digest, while it may be one.
    std::string token_;
    std::size_t tokenLine_ = 0;
    int tokens_ = 0;
};

}  // namespace verify
