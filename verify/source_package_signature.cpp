// The package's own detached signature, NAME.sig or NAME.asc beside NAME (as GNU and Apache ship
// their tarballs): a source of its own, whose gpgv is fed the package's own reads, so that the
// package is still read once.
#include "runtime/files.h"
#include "runtime/paths.h"
#include "verify/source_kinds.h"

namespace verify {

namespace {

std::string Found(const SourcesRequest& request) {
    for (const char* extension : {".sig", ".asc"}) {
        std::string path = request.packagePath + extension;
        if (!runtime::FindFirstMatch(path).empty()) return path;
    }
    return "";
}

}  // namespace

const SourceKind kPackageSignatureSource{
    [](const SourcesRequest& request) { return "the signatures beside " + request.packagePath; },
    [](const SourcesRequest& request) {
        std::vector<SourceReader> readers;
        const std::string path = Found(request);
        if (path.empty()) return readers;
        readers.push_back({path, [request, path](const Cancelled&) {
                               Source source;
                               source.name = runtime::BareName(path);
                               source.where = path;
                               if (runtime::InputFile(path).Size() > kLargestSignature) {
                                   source.signature = NotChecked(path, "it is larger than 1 MiB, and was not read");
                                   return std::optional<Source>(source);
                               }
                               // It takes as long as the package's digest: frmMain finishes it.
                               source.pending = std::make_shared<SignatureCheck>(
                                   request.verifier, path, request.packagePath,
                                   SignatureCheck::Clock::now() + std::chrono::hours(24));
                               return std::optional<Source>(source);
                           }});
        return readers;
    }};

}  // namespace verify
