// Reading the sources of expected digests for one package: the checksum files beside it, one the
// person named, and the clipboard, each on a thread of its own, so that none can hold the digest
// back for longer than a fixed time.
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "verify/verdict.h"

namespace verify {

// A source not read within this time is passed over.
inline constexpr std::chrono::milliseconds kSourceTimeLimit{1000};

struct SourcesRequest {
    std::string packagePath;  // as the file-name box names it
    std::string packageName;  // its bare name, as found
    std::string namedFile;    // a checksum file the person named, or ""
    // Reads the clipboard's text on any thread ("" for none, or for more than kClipboardLimit
    // bytes); may block while the clipboard's owner does not answer. Null: no clipboard.
    std::function<std::string()> clipboard;
};

// The sources, read at once; `limit` runs from the call, and a source not read by then is
// passed over (its reader abandoned) and said in `unread`. Returns early, with nothing, once
// `cancelled` says so.
Findings ReadSources(const SourcesRequest& request, std::chrono::milliseconds limit,
                     const std::function<bool()>& cancelled);

}  // namespace verify
