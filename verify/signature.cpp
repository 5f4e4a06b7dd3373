#include "verify/signature.h"

#include <cstdio>
#include <optional>

#include "runtime/error.h"
#include "runtime/files.h"
#include "runtime/paths.h"
#include "runtime/process.h"

namespace verify {

namespace {

// gpgv says little: a few lines a signature.
constexpr std::size_t kOutputLimit = std::size_t{64} << 10;

bool Exists(const std::string& path) {
    return !runtime::FindFirstMatch(path).empty();
}

int HexValue(char c) {
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                  : -1;
}

// Status strings escape what is not plain text as %XX.
std::string Unescaped(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    for (std::size_t at = 0; at < line.size();) {
        const std::size_t end = std::min(line.find(' ', at), line.size());
        if (end > at) words.push_back(line.substr(at, end - at));
        at = end + 1;
    }
    return words;
}

// "2026-12-08 04:56:58 UTC" for seconds since 1970, or as given when gpgv gives another form.
std::string UtcTime(std::string_view stamp) {
    long long seconds = 0;
    for (const char c : stamp) {
        if (c < '0' || c > '9') return std::string(stamp);
        seconds = seconds * 10 + (c - '0');
    }
    // Days to a civil date, after Howard Hinnant's algorithm.
    const long long days = seconds / 86400, z = days + 719468, era = z / 146097, doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365,
                    doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153, day = doy - (153 * mp + 2) / 5 + 1, month = mp < 10 ? mp + 3 : mp - 9;
    const long long year = yoe + era * 400 + (month <= 2), inDay = seconds % 86400;
    char text[96];
    (void)std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02lld:%02lld:%02lld UTC", year, month, day,
                        inDay / 3600, inDay % 3600 / 60, inDay % 60);
    return text;
}

// The user ID at the end of a GOODSIG, BADSIG, EXPKEYSIG or REVKEYSIG line.
std::string UserIdOf(std::string_view line) {
    // After the keyword and the key's ID.
    const std::size_t keyword = line.find(' ');
    const std::size_t keyId = keyword == std::string_view::npos ? keyword : line.find(' ', keyword + 1);
    return keyId == std::string_view::npos ? "" : Unescaped(line.substr(keyId + 1));
}

}  // namespace

Verifier PersonsVerifier() {
    Verifier verifier;
    if (const std::string gpgv = runtime::GpgvProgram(); Exists(gpgv)) verifier.gpgv = gpgv;
    const std::string home = runtime::GnupgHome();
    if (home.empty()) return verifier;
    for (const char* name : {"pubring", "trustedkeys"}) {
        for (const char* kind : {".kbx", ".gpg"}) {
            const std::string keyring = runtime::JoinPath(home, std::string(name) + kind);
            if (!Exists(keyring)) continue;
            verifier.keyrings.push_back(keyring);
            break;
        }
    }
    return verifier;
}

std::string Signature::SignerName() const {
    const std::size_t end = std::min(userId.find(" ("), userId.find(" <"));
    return userId.substr(0, end);
}

std::string Signature::Detail() const {
    switch (check) {
        case Check::kGood: {
            std::string grouped;
            for (std::size_t i = 0; i < fingerprint.size(); i += 4) {
                grouped.append(i > 0 ? " " : "").append(fingerprint, i, 4);
            }
            return "Signed in " + file + " by " + userId + ", primary key " + grouped + ", found in " +
                   (keyring.empty() ? "your keyrings" : keyring) + ", on " + time;
        }
        case Check::kBad:
            return "BAD signature in " + file + " by " + userId +
                   ": what it signs was changed after it was signed, so none of its digests count";
        case Check::kUnknownKey:
            return "Signed in " + file + " by the key " + keyId +
                   ", which is in none of your keyrings: if it is the publisher's, get it from them and import it "
                   "with gpg --import or Kleopatra";
        case Check::kNotChecked:
            break;
    }
    return "The signature in " + file + " was not checked: " + why;
}

Signature SignatureFromStatus(std::string_view status) {
    Signature result;
    bool any = false, bad = false, good = false, valid = false, unknown = false, error = false;
    std::string goodUserId, badUserId;
    for (std::size_t at = 0; at < status.size();) {
        const std::size_t end = std::min(status.find('\n', at), status.size());
        std::string_view line = status.substr(at, end - at);
        at = end + 1;
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (!line.starts_with("[GNUPG:] ")) continue;
        line.remove_prefix(9);
        const std::vector<std::string_view> words = Words(line);
        if (words.empty()) continue;
        const std::string_view keyword = words[0];
        if (keyword == "NEWSIG") {
            any = true;
        } else if (keyword == "GOODSIG" && !good) {
            good = true;
            goodUserId = UserIdOf(line);
        } else if (keyword == "VALIDSIG" && words.size() >= 4 && !valid) {
            valid = true;
            result.fingerprint = std::string(words.size() >= 11 ? words[10] : words[1]);
            result.time = UtcTime(words[3]);
        } else if (keyword == "BADSIG") {
            bad = true;
            badUserId = UserIdOf(line);
        } else if (keyword == "EXPKEYSIG" || keyword == "REVKEYSIG" || keyword == "EXPSIG") {
            result.why = keyword == "EXPKEYSIG"   ? "the key that made it has expired"
                         : keyword == "REVKEYSIG" ? "the key that made it was revoked"
                                                  : "the signature has expired";
            result.userId = UserIdOf(line);
        } else if (keyword == "ERRSIG" && words.size() >= 7) {
            if (words[6] == "9") {
                unknown = true;
                result.keyId = std::string(words[1]);
            } else if (result.why.empty()) {
                result.why = "gpgv cannot check it (error " + std::string(words[6]) + ")";
            }
        } else if (keyword == "NO_PUBKEY" && words.size() >= 2) {
            unknown = true;
            result.keyId = std::string(words[1]);
        } else if (keyword == "ERROR") {
            error = true;
        }
    }
    if (bad) {
        result.check = Signature::Check::kBad;
        result.userId = badUserId;
    } else if (!result.why.empty() && !error) {
        result.check = Signature::Check::kNotChecked;
    } else if (good && valid && !error) {
        result.check = Signature::Check::kGood;
        result.userId = goodUserId;
    } else if (unknown) {
        // With no keyring at all gpgv also says it could not search one: the key is still unknown.
        result.check = Signature::Check::kUnknownKey;
    } else {
        result.check = Signature::Check::kNotChecked;
        if (result.why.empty()) result.why = any ? "gpgv found it malformed" : "gpgv found no signature in it";
    }
    return result;
}

struct SignatureCheck::Run {
    runtime::PrivateFolder home;  // gpgv's own, empty: no options, keys or keyrings of anyone's
    runtime::ChildProcess gpgv;
    bool open = true;  // it still takes data

    Run(const Verifier& verifier, const std::vector<std::string>& keyrings, const std::string& signatureFile,
        Clock::time_point deadline)
        : gpgv(verifier.gpgv, Arguments(home.Path(), keyrings, signatureFile), kOutputLimit, deadline) {}

    static std::vector<std::string> Arguments(const std::string& home, const std::vector<std::string>& keyrings,
                                              const std::string& signatureFile) {
        std::vector<std::string> arguments = {"--homedir", home, "--status-fd", "1"};
        // Named, so that gpgv's own default keyring (in its empty home) is not among them.
        for (const std::string& keyring : keyrings) arguments.insert(arguments.end(), {"--keyring", keyring});
        if (!signatureFile.empty()) arguments.insert(arguments.end(), {signatureFile, "-"});
        return arguments;
    }
};

SignatureCheck::SignatureCheck(const Verifier& verifier, const std::string& signatureFile,
                               const std::string& signedFile, Clock::time_point deadline)
    : verifier_(verifier), signatureFile_(signatureFile) {
    result_.file = signatureFile.empty() ? signedFile : signatureFile;
    if (verifier.gpgv.empty()) {
        result_.why = "gpgv, which checks signatures, is not installed";
        return;
    }
    try {
        run_ = std::make_unique<Run>(verifier, verifier.keyrings, signatureFile, deadline);
    } catch (const runtime::Error& e) {
        result_.why = e.text();
    }
}

SignatureCheck::~SignatureCheck() = default;

void SignatureCheck::Feed(std::span<const unsigned char> bytes) {
    if (!run_ || !run_->open) return;
    run_->open = run_->gpgv.Write(bytes);
    // A clearsigned message is fed again to find which keyring holds its key; a large one is not kept.
    if (signatureFile_.empty() && verifier_.keyrings.size() > 1 && kept_.size() + bytes.size() <= kLargestSignature) {
        kept_.insert(kept_.end(), bytes.begin(), bytes.end());
    }
}

Signature SignatureCheck::Finish(Clock::time_point deadline) {
    if (!run_) return result_;
    const std::optional<std::string> status = run_->gpgv.Finish(deadline);
    run_.reset();
    if (!status) {
        result_.why = "gpgv did not finish in time";
        return result_;
    }
    Signature signature = SignatureFromStatus(*status);
    signature.file = result_.file;
    if (verifier_.keyrings.size() == 1 && signature.check == Signature::Check::kGood) {
        signature.keyring = verifier_.keyrings[0];
    } else if (signature.check == Signature::Check::kGood) {
        // The first keyring that alone yields the key: gpgv looks the key up before it checks the
        // data, so a detached signature is asked with none.
        for (const std::string& keyring : verifier_.keyrings) {
            if (signatureFile_.empty() && kept_.empty()) break;
            try {
                Run probe(verifier_, {keyring}, signatureFile_, Clock::now() + std::chrono::seconds(1));
                probe.gpgv.Write(kept_);
                const auto found = probe.gpgv.Finish(Clock::now() + std::chrono::seconds(1));
                if (found && found->find("KEY_CONSIDERED " + signature.fingerprint) != std::string::npos) {
                    signature.keyring = keyring;
                    break;
                }
            } catch (const runtime::Error&) {
                break;
            }
        }
    }
    return signature;
}

}  // namespace verify
