// The first stage of a checksum file's text: its bytes as UTF-8. A file is UTF-8 (with or without
// its mark) or UTF-16 with its mark; a UTF-16 file without one is not guessed.
#pragma once

#include <string>
#include <string_view>

namespace verify {

class TextDecoder {
public:
    // The text of the bytes fed so far that is not yet given: a view into `bytes` or into the
    // decoder's own buffer, valid until the next call.
    std::string_view Feed(std::string_view bytes);
    // The end of the bytes: what was held back.
    std::string_view End();

private:
    enum class Encoding { kUnknown, kUtf8, kUtf16Le, kUtf16Be };

    std::string_view DecideEncoding(std::string_view rest);
    std::string_view Decode(std::string_view bytes);

    Encoding encoding_ = Encoding::kUnknown;
    std::string head_;     // the first bytes, until the encoding is known
    std::string decoded_;  // what was made UTF-8, or the head and what followed it
    unsigned char oddByte_ = 0;
    bool hasOddByte_ = false;
    char16_t highSurrogate_ = 0;
};

}  // namespace verify
