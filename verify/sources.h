// Reading the sources of expected digests for one package: each kind of source lists its sources
// on a task of its own, and each source is read by a task of its own, all started together and
// each within a fixed time, so that none can hold the digest back for long. The kinds are in one
// table (sources.cpp), in the order the caption names them; each kind is a file of its own
// (source_*.cpp), declared in source_kinds.h.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "verify/signature.h"
#include "verify/source.h"

namespace verify {

// A source not read within this time is passed over.
inline constexpr std::chrono::milliseconds kSourceTimeLimit{1000};

// True once the reading is cancelled; looked at between reads.
using Cancelled = std::function<bool()>;

struct SourcesRequest {
    std::string packagePath;  // as the file-name box names it
    std::string packageName;  // its bare name, as found
    std::string namedFile;    // a checksum file the person named, or ""
    // Reads the clipboard's text on any thread: "" for none, or for one longer than `limit` bytes.
    // It may block while the clipboard's owner does not answer. Null: no clipboard.
    std::function<std::string(std::size_t limit)> clipboard;
    Verifier verifier;  // what checks the publisher's signatures
};

// One source to read: what the tooltip calls it should it be passed over, and its reader.
struct SourceReader {
    std::string label;
    std::function<std::optional<Source>(const Cancelled& cancelled)> read;
};

// A kind of source: the place it looks in (said when looking there takes too long), and the
// readers of the sources it finds there for the package (it may look at the file system).
struct SourceKind {
    std::string (*place)(const SourcesRequest& request);
    std::vector<SourceReader> (*find)(const SourcesRequest& request);
};

// The sources, in the caption's order; one passed over is a source with a note saying so.
// Returns early, with nothing, once `cancelled` says so.
std::vector<Source> ReadSources(const SourcesRequest& request, std::chrono::milliseconds limit,
                                const Cancelled& cancelled);

}  // namespace verify
