// The publisher's OpenPGP signature over a checksum file or a package, checked by GnuPG's gpgv
// (the verifier APT and dscverify run) against the person's own keyrings, through its
// machine-readable status lines (GnuPG's doc/DETAILS). Keys are only read: never fetched,
// imported or written.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace verify {

// A signature file larger than this is not read.
inline constexpr std::uint64_t kLargestSignature = std::uint64_t{1} << 20;

// What checks signatures: gpgv, and the keyrings it may take keys from.
struct Verifier {
    std::string gpgv;                   // its full path; where there is none, nothing is checked
    std::vector<std::string> keyrings;  // full paths, in the order they are looked in
};

// The person's own: gpgv, and in their GnuPG home pubring.kbx (else pubring.gpg) and
// trustedkeys.kbx (else trustedkeys.gpg), those that exist. It looks at the file system.
Verifier PersonsVerifier();

struct Signature {
    enum class Check { kGood, kBad, kUnknownKey, kNotChecked };
    Check check = Check::kNotChecked;
    std::string file;         // the signature's file (the signed file itself when clearsigned)
    std::string userId;       // the signer's user ID, in full
    std::string fingerprint;  // the signer's primary key's, in hex
    std::string keyring;      // where the key was found
    std::string time;         // when it was made, "2026-12-08 04:56:58 UTC"
    std::string keyId;        // the key's ID, where no keyring holds the key
    std::string why;          // why it was not checked

    // The user ID's name, before any " (" comment or " <" address.
    std::string SignerName() const;
    // What the tooltip says of it, one line or more.
    std::string Detail() const;
};

// What gpgv's status lines say: a bad signature wins over any other; then a good one (GOODSIG
// and VALIDSIG, from a key neither expired nor revoked, and no ERROR beside it); then an unknown
// key; anything else is not checked.
Signature SignatureFromStatus(std::string_view status);

// One signature checked by a gpgv of its own while its signed data is read: started at once, fed
// the data as the caller reads it (a package's reads, a checksum file's), finished once all of it
// has been fed. Safe to feed from one thread while another made it.
class SignatureCheck {
public:
    using Clock = std::chrono::steady_clock;

    // `signatureFile`: a detached signature, whose signed data Feed gives; "" for a clearsigned
    // message that Feed gives whole, named by `signedFile`. gpgv is ended at `deadline` unless
    // Finish sets another.
    SignatureCheck(const Verifier& verifier, const std::string& signatureFile, const std::string& signedFile,
                   Clock::time_point deadline);
    ~SignatureCheck();
    SignatureCheck(const SignatureCheck&) = delete;
    SignatureCheck& operator=(const SignatureCheck&) = delete;

    void Feed(std::span<const unsigned char> bytes);
    Signature Finish(Clock::time_point deadline);

    struct Run;

private:
    Verifier verifier_;
    std::string signatureFile_;
    Signature result_;                 // set when it could not start
    std::unique_ptr<Run> run_;         // the gpgv that checks
    std::vector<unsigned char> kept_;  // a clearsigned message, kept to find which keyring has the key
};

}  // namespace verify
