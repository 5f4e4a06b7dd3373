// The third stage of a checksum file's text: a clearsigned message among its lines, read as GnuPG
// reads it, wherever it starts: "-----BEGIN PGP SIGNED MESSAGE-----", header lines ("Hash: ...",
// "NotDashEscaped: ..."), a blank line, the signed text, then "-----BEGIN PGP SIGNATURE-----" to
// "-----END PGP SIGNATURE-----". The signed text has its "- " escapes undone and its trailing
// blanks dropped (as `gpg --decrypt` gives it back). Only the first message counts; text before or
// after it is no part of it.
#pragma once

#include <optional>
#include <string_view>

namespace verify {

class Clearsign {
public:
    // The line as the signed text has it (a view into it), when it is part of that text.
    std::optional<std::string_view> Take(std::string_view line);

    // Its first line has been seen.
    bool Started() const { return state_ != State::kBefore; }
    // A message from its first line to its signature's last.
    bool Whole() const { return state_ == State::kAfter; }
    // Something but blanks stood before or after the message.
    bool TextOutside() const { return textOutside_; }

private:
    enum class State { kBefore, kHeader, kText, kSignature, kAfter, kBroken };

    State state_ = State::kBefore;
    bool dashEscaped_ = true;
    bool textOutside_ = false;
};

}  // namespace verify
