// A digest copied from the publisher's page: the clipboard's text, when it is one digest or one
// checksum line that names the package.
#include "runtime/paths.h"
#include "runtime/text.h"
#include "verify/bare_digest.h"
#include "verify/source_kinds.h"
#include "verify/sum_lines.h"

namespace verify {

std::optional<Source> SourceFromClipboard(std::string_view text, const std::string& packageName) {
    if (text.size() > kClipboardLimit) return std::nullopt;
    Source found;
    found.name = "clipboard";
    found.where = "the clipboard";
    if (const auto bare = ParseBareDigest(text)) {
        found.expected.push_back({bare->algorithm, runtime::AsciiUpper(bare->hex), std::nullopt, 0});
        return found;
    }
    const std::string_view line = runtime::Trimmed(text);
    if (line.empty() || line.find_first_of("\r\n") != std::string_view::npos) return std::nullopt;  // more lines
    FormReader::Context context;
    context.packageName = packageName;
    context.found = [&](const ChecksumEntry& entry, std::size_t) {
        if (runtime::SameFileName(entry.name, packageName)) {
            found.expected.push_back({entry.algorithm, runtime::AsciiUpper(entry.hex), entry.size, 0});
        }
    };
    SumLines lines(std::move(context));
    lines.Read({line, 1, false});
    if (found.expected.empty()) return std::nullopt;
    return found;
}

const SourceKind kClipboardSource{
    [](const SourcesRequest&) { return std::string("the clipboard"); },
    [](const SourcesRequest& request) {
        std::vector<SourceReader> readers;
        if (!request.clipboard) return readers;
        readers.push_back({"the clipboard", [request](const Cancelled&) {
                               return SourceFromClipboard(request.clipboard(kClipboardLimit), request.packageName);
                           }});
        return readers;
    }};

}  // namespace verify
