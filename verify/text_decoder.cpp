#include "verify/text_decoder.h"

#include <algorithm>
#include <utility>

#include "runtime/text.h"

namespace verify {

std::string_view TextDecoder::Feed(std::string_view bytes) {
    if (encoding_ == Encoding::kUnknown) {
        // A mark is three bytes at most; a shorter text is decided at its end.
        const std::size_t wanted = std::min<std::size_t>(3 - head_.size(), bytes.size());
        head_.append(bytes.substr(0, wanted));
        bytes.remove_prefix(wanted);
        if (head_.size() < 3) return {};
        return DecideEncoding(bytes);
    }
    return Decode(bytes);
}

std::string_view TextDecoder::End() {
    std::string_view text;
    if (encoding_ == Encoding::kUnknown) text = DecideEncoding({});
    if (encoding_ == Encoding::kUtf8) return text;
    // An odd byte at the end of UTF-16 is half a character: nothing. A lone first half of a pair
    // is a character of its own.
    hasOddByte_ = false;
    if (highSurrogate_ == 0) return text;
    decoded_ = std::string(text) + runtime::Utf16ToUtf8(std::u16string(1, std::exchange(highSurrogate_, 0)));
    return decoded_;
}

std::string_view TextDecoder::DecideEncoding(std::string_view rest) {
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
    const std::string bytes = head.substr(mark) + std::string(rest);
    if (encoding_ != Encoding::kUtf8) return Decode(bytes);
    decoded_ = bytes;
    return decoded_;
}

std::string_view TextDecoder::Decode(std::string_view bytes) {
    if (encoding_ == Encoding::kUtf8) return bytes;
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
    return decoded_;
}

}  // namespace verify
