#include "verify/checksum_text.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "runtime/text.h"

namespace verify {

namespace {

constexpr std::string_view kBeginSigned = "-----BEGIN PGP SIGNED MESSAGE-----";
constexpr std::string_view kBeginSignature = "-----BEGIN PGP SIGNATURE-----";
constexpr std::string_view kEndSignature = "-----END PGP SIGNATURE-----";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// "Hash: SHA256" and the like, in the header of a clearsigned message.
bool IsArmourHeader(std::string_view line) {
    const auto colon = line.find(": ");
    return colon != std::string_view::npos && colon > 0 &&
           line.substr(0, colon).find_first_of(" \t") == std::string_view::npos;
}

}  // namespace

ChecksumText::ChecksumText(std::string packageName, std::function<bool(const ChecksumEntry&)> keeps)
    : packageName_(std::move(packageName)),
      escapedName_(EscapedName(packageName_)),
      keeps_(std::move(keeps)),
      plain_(KeepingInto(plainEntries_), packageName_),
      armoured_(KeepingInto(armouredEntries_), packageName_) {}

ChecksumLines::Found ChecksumText::KeepingInto(std::vector<KeptEntry>& entries) {
    return [this, &entries](const ChecksumEntry& e, std::size_t line) {
        if (keeps_(e)) entries.push_back({e.algorithm, runtime::AsciiUpper(e.hex), e.size, line});
    };
}

void ChecksumText::Feed(std::string_view bytes) {
    if (encoding_ == Encoding::kUnknown) {
        // A mark is three bytes at most; a shorter text is decided at its end.
        const std::size_t wanted = std::min<std::size_t>(3 - head_.size(), bytes.size());
        head_.append(bytes.substr(0, wanted));
        bytes.remove_prefix(wanted);
        if (head_.size() < 3) return;
        DecideEncoding();
    }
    Decode(bytes);
}

void ChecksumText::DecideEncoding() {
    std::string head;
    head.swap(head_);
    std::size_t mark = 0;
    encoding_ = Encoding::kUtf8;
    if (head.starts_with("\xEF\xBB\xBF")) {
        mark = 3;
    } else if (head.starts_with("\xFF\xFE")) {
        encoding_ = Encoding::kUtf16Le;
        mark = 2;
    } else if (head.starts_with("\xFE\xFF")) {
        encoding_ = Encoding::kUtf16Be;
        mark = 2;
    }
    Decode(std::string_view(head).substr(mark));
}

void ChecksumText::End() {
    if (encoding_ == Encoding::kUnknown) DecideEncoding();
    // An odd byte at the end of UTF-16 is half a character: nothing.
    hasOddByte_ = false;
    if (highSurrogate_ != 0) Split(runtime::Utf16ToUtf8(std::u16string(1, std::exchange(highSurrogate_, 0))));
    if (!line_.empty() || cut_) LineDone();
    plain_.End();
    armoured_.End();
}

const std::vector<KeptEntry>& ChecksumText::Entries() const {
    return Signed() ? armouredEntries_ : plainEntries_;
}

bool ChecksumText::Signed() const {
    return armour_ == Armour::kWhole;
}

std::optional<KeptEntry> ChecksumText::BareDigest() const {
    if (tokens_ != 1) return std::nullopt;
    const auto entry = ParseBareDigest(token_);
    if (!entry) return std::nullopt;
    return KeptEntry{entry->algorithm, runtime::AsciiUpper(entry->hex), std::nullopt, tokenLine_};
}

void ChecksumText::Decode(std::string_view bytes) {
    if (encoding_ == Encoding::kUtf8) {
        Split(bytes);
        return;
    }
    std::u16string units;
    if (highSurrogate_ != 0) units += std::exchange(highSurrogate_, 0);
    const bool little = encoding_ == Encoding::kUtf16Le;
    const auto unit = [little](unsigned char a, unsigned char b) {
        return static_cast<char16_t>(little ? a | (b << 8) : (a << 8) | b);
    };
    std::size_t i = 0;
    if (hasOddByte_ && !bytes.empty()) {
        units += unit(oddByte_, static_cast<unsigned char>(bytes[0]));
        hasOddByte_ = false;
        i = 1;
    }
    for (; i + 1 < bytes.size(); i += 2) {
        units += unit(static_cast<unsigned char>(bytes[i]), static_cast<unsigned char>(bytes[i + 1]));
    }
    if (i < bytes.size()) {
        oddByte_ = static_cast<unsigned char>(bytes[i]);
        hasOddByte_ = true;
    }
    // A pair's first half waits for its second.
    if (!units.empty() && units.back() >= 0xD800 && units.back() <= 0xDBFF) {
        highSurrogate_ = units.back();
        units.pop_back();
    }
    decoded_ = runtime::Utf16ToUtf8(units);
    Split(decoded_);
}

void ChecksumText::Split(std::string_view text) {
    while (!text.empty()) {
        const void* lf = std::memchr(text.data(), '\n', text.size());
        const std::size_t end = lf == nullptr ? text.size() : static_cast<const char*>(lf) - text.data();
        std::string_view piece = text.substr(0, end);
        if (lf != nullptr && line_.empty() && !cut_ && piece.size() <= kLineLimit) {
            // The usual line, whole within this read: looked at where it lies.
            if (piece.ends_with('\r')) piece.remove_suffix(1);
            Take(piece, false);
        } else {
            Append(piece);
            if (lf != nullptr) LineDone();
        }
        text.remove_prefix(lf == nullptr ? end : end + 1);
    }
}

void ChecksumText::Append(std::string_view piece) {
    if (!cut_ && (line_.empty() || line_ == " ")) {
        // Blanks before a line's first word only count as there being some: one is kept.
        std::size_t blanks = 0;
        while (blanks < piece.size() && IsBlank(piece[blanks])) ++blanks;
        if (blanks > 0) line_.assign(1, ' ');
        piece.remove_prefix(blanks);
    }
    if (!cut_) {
        const std::size_t room = kLineLimit - line_.size();
        if (piece.size() <= room) {
            line_.append(piece);
            return;
        }
        line_.append(piece.substr(0, room));
        piece.remove_prefix(room);
        cut_ = true;
        LookForName(line_);
    }
    LookForName(piece);
}

void ChecksumText::LookForName(std::string_view piece) {
    if (nameInCut_ || packageName_.empty()) return;
    const auto holds = [this](std::string_view text) {
        return text.find(packageName_) != std::string_view::npos || text.find(escapedName_) != std::string_view::npos;
    };
    // A name may be split between two pieces: the end of the last is looked at with this one's start.
    const std::size_t keep = std::max(packageName_.size(), escapedName_.size()) - 1;
    nameInCut_ = holds(tail_ + std::string(piece.substr(0, keep))) || holds(piece);
    if (piece.size() >= keep) {
        tail_.assign(piece.substr(piece.size() - keep));
    } else {
        tail_.append(piece);
        if (tail_.size() > keep) tail_.erase(0, tail_.size() - keep);
    }
}

void ChecksumText::LineDone() {
    std::string_view line = line_;
    if (!cut_ && line.ends_with('\r')) line.remove_suffix(1);
    Take(line, cut_);
    if (cut_ && nameInCut_ && unreadLine_ == 0) unreadLine_ = number_;
    line_.clear();
    tail_.clear();
    cut_ = nameInCut_ = false;
}

void ChecksumText::Take(std::string_view line, bool cut) {
    ++number_;
    if (tokens_ < 2) {
        const std::string_view word = runtime::Trimmed(line);
        if (!word.empty()) {
            if (cut || tokens_ == 1 || word.size() > 128 || word.find_first_of(" \t") != std::string_view::npos) {
                tokens_ = 2;
            } else {
                token_ = word;
                tokenLine_ = number_;
                tokens_ = 1;
            }
        }
    }
    plain_.Line(line, number_, cut);
    if (armour_ == Armour::kWhole || armour_ == Armour::kBroken || (armour_ == Armour::kNone && number_ != 1)) return;
    const auto is = [line](std::string_view armour) {
        return line.starts_with(armour) && runtime::Trimmed(line) == armour;
    };
    switch (armour_) {
        case Armour::kNone:
            if (number_ == 1 && is(kBeginSigned)) armour_ = Armour::kHeader;
            break;
        case Armour::kHeader:
            if (line.empty()) {
                armour_ = Armour::kBody;
            } else if (!IsArmourHeader(line)) {
                armour_ = Armour::kBroken;
            }
            break;
        case Armour::kBody:
            if (is(kBeginSignature)) {
                armour_ = Armour::kSignature;
            } else {
                armoured_.Line(line.starts_with("- ") ? line.substr(2) : line, number_, cut);
            }
            break;
        case Armour::kSignature:
            if (is(kEndSignature)) armour_ = Armour::kWhole;
            break;
        case Armour::kWhole:
        case Armour::kBroken:
            break;
    }
}

}  // namespace verify
