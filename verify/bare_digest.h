// A file NAME.sha256 (or .md5, .sha1...) that holds nothing but the digest of NAME, as PowerShell's
// `(Get-FileHash NAME).Hash | Out-File NAME.sha256` writes it: one hex token of an algorithm's
// length, blanks and line ends aside.
#pragma once

#include <string>

#include "verify/form_reader.h"

namespace verify {

class BareDigest final : public FormReader {
public:
    explicit BareDigest(Context context) : context_(std::move(context)) {}
    static std::unique_ptr<FormReader> Make(const Context& context) { return std::make_unique<BareDigest>(context); }

    void Read(const Line& line) override;
    void End() override;

private:
    Context context_;
    // The one token, while there may be one.
    std::string token_;
    std::size_t line_ = 0;
    int tokens_ = 0;
};

// The digest when the whole text, blanks and line ends aside, is one hex token of an
// algorithm's length.
std::optional<ChecksumEntry> ParseBareDigest(std::string_view text);

}  // namespace verify
