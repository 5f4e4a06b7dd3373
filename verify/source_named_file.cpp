// A checksum file the person named (on the command line, dropped on the window, opened with
// Pellwick): it counts for every package it lists.
#include "verify/checksum_files.h"
#include "verify/source_kinds.h"

namespace verify {

const SourceKind kNamedFileSource{[](const SourcesRequest& request) { return request.namedFile; },
                                  [](const SourcesRequest& request) {
                                      std::vector<SourceReader> readers;
                                      if (request.namedFile.empty()) return readers;
                                      readers.push_back({request.namedFile, [request](const Cancelled& cancelled) {
                                                             return ReadChecksumFile(
                                                                 request.namedFile, request.packagePath,
                                                                 request.packageName, cancelled, request.verifier);
                                                         }});
                                      return readers;
                                  }};

}  // namespace verify
