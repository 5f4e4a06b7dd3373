// The second stage of a checksum file's text: lines, ending at LF with one CR before it dropped,
// in bounded memory. No line is kept beyond kLineLimit: a longer one is given cut, with whether
// the package's name (as it is, or escaped) stands anywhere in it, since what it says is not known.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "verify/form_reader.h"

namespace verify {

inline constexpr std::size_t kLineLimit = std::size_t{64} << 10;

class TextLines {
public:
    using Sink = std::function<void(const Line& line, bool namesPackage)>;

    TextLines(std::string packageName, Sink sink);

    void Feed(std::string_view text);
    void End();

private:
    void Append(std::string_view piece);
    void LineDone();
    void Give(std::string_view text, bool cut);
    void LookForName(std::string_view piece);

    std::string packageName_, escapedName_;
    Sink sink_;
    std::string line_;  // the line in the making, when it spans reads
    bool cut_ = false;
    bool nameInCut_ = false;
    std::string tail_;  // the end of a cut line's text so far, to find a name split across reads
    std::size_t number_ = 0;
};

}  // namespace verify
