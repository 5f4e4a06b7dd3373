// The lines of `md5sum`, `sha1sum`, `sha256sum`, `sha384sum` and `sha512sum`, read as their `-c`
// reads them: "HEX  NAME", "HEX *NAME", "HEX NAME", escaped names, and the tagged lines of
// `--tag`, BSD's tools and OpenSSL ("SHA256 (NAME) = HEX", "SHA2-256(NAME)= HEX").
#pragma once

#include <array>
#include <string>

#include "verify/form_reader.h"

namespace verify {

class SumLines final : public FormReader {
public:
    explicit SumLines(Context context) : context_(std::move(context)) {}
    static std::unique_ptr<FormReader> Make(const Context& context) { return std::make_unique<SumLines>(context); }

    // A cut line still sets the list's form, as the reference tools would, but gives no entry.
    void Read(const Line& line) override;

private:
    // The reference tools fix the form of a list from its first "HEX NAME" line, each tool for its
    // own digest length: after "HEX NAME" (one blank) a later "HEX  NAME" names " NAME", after
    // "HEX  NAME" a later one-blank line is no checksum line.
    enum class Form : signed char { kUnknown, kTwoCharacters, kOneBlank };

    Context context_;
    std::array<Form, digest::kAlgorithms.size()> forms_{};
    std::string scratch_;  // an unescaped name
};

// The name as a checksum line writes it when it holds a backslash or a line end ("\\", "\n",
// "\r"), else unchanged.
std::string EscapedName(std::string_view name);

}  // namespace verify
