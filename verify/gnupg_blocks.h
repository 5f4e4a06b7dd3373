// GnuPG's `gpg --print-md ALGO FILE` (Apache's NAME.sha512): "NAME: 2CF24DBA 5FB0A30E ..." in
// groups, on one line or wrapped over several that start with blanks. The block says nothing of
// its algorithm: it counts for the one the file's name gives (NAME.sha512, SHA256SUMS), or, where
// the name gives none, for the one of its length; so a 40-digit RIPEMD-160 block in NAME.sha256
// is no SHA-1.
#pragma once

#include <string>

#include "verify/form_reader.h"

namespace verify {

class GnupgBlocks final : public FormReader {
public:
    explicit GnupgBlocks(Context context) : context_(std::move(context)) {}
    static std::unique_ptr<FormReader> Make(const Context& context) { return std::make_unique<GnupgBlocks>(context); }

    void Read(const Line& line) override;
    void End() override;

private:
    bool Starts(const Line& line);
    bool Continues(std::string_view line);
    void Ends();

    Context context_;
    // A block in the making: its name, its digits so far, its first line.
    std::string name_, hex_;
    std::size_t line_ = 0;
};

}  // namespace verify
