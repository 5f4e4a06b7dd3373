#include "verify/clearsign.h"

#include "runtime/text.h"

namespace verify {

namespace {

// The armour's line: its text at the line's start, then blanks at most.
bool IsArmour(std::string_view line, std::string_view armour) {
    return line.starts_with(armour) && runtime::Trimmed(line.substr(armour.size())).empty();
}

}  // namespace

std::optional<std::string_view> Clearsign::Take(std::string_view line) {
    // Looked at only while it may still change something: this runs for every line of every list.
    const auto blank = [line] { return runtime::Trimmed(line).empty(); };
    switch (state_) {
        case State::kBefore:
            if (line.starts_with('-') && IsArmour(line, "-----BEGIN PGP SIGNED MESSAGE-----")) {
                state_ = State::kHeader;
            } else if (!textOutside_) {
                textOutside_ = !blank();
            }
            return std::nullopt;
        case State::kHeader:
            // GnuPG takes no other header in a clearsigned message.
            if (blank()) {
                state_ = State::kText;
            } else if (line.starts_with("NotDashEscaped: ")) {
                dashEscaped_ = false;
            } else if (!line.starts_with("Hash: ")) {
                state_ = State::kBroken;
            }
            return std::nullopt;
        case State::kText:
            if (IsArmour(line, "-----BEGIN PGP SIGNATURE-----")) {
                state_ = State::kSignature;
                return std::nullopt;
            }
            if (!dashEscaped_) return line;
            if (line.starts_with("- ")) line.remove_prefix(2);
            return line.substr(0, line.find_last_not_of(" \t") + 1);
        case State::kSignature:
            if (IsArmour(line, "-----END PGP SIGNATURE-----")) state_ = State::kAfter;
            return std::nullopt;
        case State::kAfter:
            if (!textOutside_) textOutside_ = !blank();
            return std::nullopt;
        case State::kBroken:
            return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace verify
