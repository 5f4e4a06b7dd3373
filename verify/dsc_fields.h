// The checksum fields of a Debian source package's description (a .dsc, as dpkg-source writes
// it): "Files:" (MD5), "Checksums-Sha1:", "Checksums-Sha256:" and "Checksums-Sha512:", each
// followed by lines " HEX SIZE NAME". The size must agree too.
#pragma once

#include "verify/form_reader.h"

namespace verify {

class DscFields final : public FormReader {
public:
    explicit DscFields(Context context) : context_(std::move(context)) {}
    static std::unique_ptr<FormReader> Make(const Context& context) { return std::make_unique<DscFields>(context); }

    void Read(const Line& line) override;

private:
    enum class Field { kNone, kFiles, kSha1, kSha256, kSha512 };

    bool StartsField(std::string_view line);
    void FieldLine(const Line& line);

    Context context_;
    Field field_ = Field::kNone;
};

}  // namespace verify
