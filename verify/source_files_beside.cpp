// The checksum files beside the package, each read by a task of its own.
#include "runtime/paths.h"
#include "verify/checksum_files.h"
#include "verify/source_kinds.h"

namespace verify {

namespace {

std::string Folder(const SourcesRequest& request) {
    const std::string folder = runtime::ParentPath(request.packagePath);
    return folder.empty() ? "." : folder;
}

}  // namespace

const SourceKind kFilesBesideSource{
    [](const SourcesRequest& request) { return "the checksum files in " + Folder(request); },
    [](const SourcesRequest& request) {
        ChecksumFiles files = ChecksumFilesBeside(request.packagePath, request.packageName);
        std::vector<SourceReader> readers;
        for (std::string& path : files.paths) {
            // The one the person named is read as that.
            if (!request.namedFile.empty() && runtime::SamePath(path, request.namedFile)) continue;
            readers.push_back({path, [request, path](const Cancelled& cancelled) {
                                   return ReadChecksumFile(path, request.packagePath, request.packageName, cancelled,
                                                           request.verifier);
                               }});
        }
        if (files.passedOver > 0) {
            const std::string note = "Passed over " + std::to_string(files.passedOver) + " more checksum files in " +
                                     Folder(request) + ": at most " + std::to_string(kMostChecksumFiles) + " are read";
            readers.push_back({Folder(request),
                               [note](const Cancelled&) { return std::optional<Source>(Source::PassedOver(note)); }});
        }
        return readers;
    }};

}  // namespace verify
