#include "verify/text_lines.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "verify/sum_lines.h"

namespace verify {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

TextLines::TextLines(std::string packageName, Sink sink)
    : packageName_(std::move(packageName)), escapedName_(EscapedName(packageName_)), sink_(std::move(sink)) {}

void TextLines::Feed(std::string_view text) {
    while (!text.empty()) {
        const void* lf = std::memchr(text.data(), '\n', text.size());
        const std::size_t end = lf == nullptr ? text.size() : static_cast<const char*>(lf) - text.data();
        std::string_view piece = text.substr(0, end);
        if (lf != nullptr && line_.empty() && !cut_ && piece.size() <= kLineLimit) {
            // The usual line, whole within this read: looked at where it lies.
            if (piece.ends_with('\r')) piece.remove_suffix(1);
            Give(piece, false);
        } else {
            Append(piece);
            if (lf != nullptr) LineDone();
        }
        text.remove_prefix(lf == nullptr ? end : end + 1);
    }
}

void TextLines::End() {
    if (!line_.empty() || cut_) LineDone();
}

void TextLines::Append(std::string_view piece) {
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

void TextLines::LookForName(std::string_view piece) {
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

void TextLines::LineDone() {
    std::string_view line = line_;
    if (!cut_ && line.ends_with('\r')) line.remove_suffix(1);
    Give(line, cut_);
    line_.clear();
    tail_.clear();
    cut_ = nameInCut_ = false;
}

void TextLines::Give(std::string_view text, bool cut) {
    sink_(Line{text, ++number_, cut}, cut && nameInCut_);
}

}  // namespace verify
