// What a source of expected digests says of the package: a checksum file, or the clipboard.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "digest/algorithm.h"
#include "verify/signature.h"

namespace verify {

// One digest a source gives for the package.
struct Expected {
    digest::Algorithm algorithm = digest::Algorithm::kMd5;
    std::string digest;                 // uppercase hex
    std::optional<std::uint64_t> size;  // the package's size, where the source gives it
    std::size_t line = 0;               // where a file gives it; 0 for the clipboard
};

struct Source {
    std::string name;                // what the caption calls it: the file's bare name, or "clipboard"
    std::string where;               // what the tooltip calls it: the file's path, or "the clipboard"
    std::vector<Expected> expected;  // for the package, in the source's order
    // What else the tooltip says of it: that it held text outside its signed message, or why it
    // was passed over (then it gives no digest).
    std::vector<std::string> notes;
    // The publisher's signature over it (or, for the package's own, over the package), checked.
    std::optional<Signature> signature;
    // The package's own signature while it waits for the package's reads: fed by them, then
    // finished into `signature`.
    std::shared_ptr<SignatureCheck> pending;

    // A source passed over, with the reason, which gives no digest.
    static Source PassedOver(std::string note) {
        Source source;
        source.notes.push_back(std::move(note));
        return source;
    }
};

// A signature that was not checked, and why.
inline Signature NotChecked(std::string file, std::string why) {
    Signature signature;
    signature.file = std::move(file);
    signature.why = std::move(why);
    return signature;
}

}  // namespace verify
