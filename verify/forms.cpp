#include "verify/forms.h"

#include "verify/bare_digest.h"
#include "verify/dsc_fields.h"
#include "verify/gnupg_blocks.h"
#include "verify/sum_lines.h"

namespace verify {

namespace {

struct Form {
    bool (*holds)(const FileKind& kind);  // whether a file of that kind may hold the form
    std::unique_ptr<FormReader> (*make)(const FormReader::Context& context);
};

constexpr Form kForms[] = {
    {[](const FileKind&) { return true; }, &SumLines::Make},
    {[](const FileKind& kind) { return kind.dsc; }, &DscFields::Make},
    {[](const FileKind&) { return true; }, &GnupgBlocks::Make},
    {[](const FileKind& kind) { return !kind.stem.empty(); }, &BareDigest::Make},
};

}  // namespace

std::vector<std::unique_ptr<FormReader>> ReadersFor(const FormReader::Context& context) {
    std::vector<std::unique_ptr<FormReader>> readers;
    for (const Form& form : kForms) {
        if (form.holds(context.kind)) readers.push_back(form.make(context));
    }
    return readers;
}

}  // namespace verify
