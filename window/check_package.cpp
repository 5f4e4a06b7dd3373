#include "window/check_package.h"

#include <vector>

namespace window {

verify::Judgement CheckPackage(const digest::clsMD5& md5, const verify::SourcesRequest& request,
                               runtime::Job::Control& control) {
    const auto cancelled = [&control] { return control.Cancelled(); };
    std::vector<verify::Source> sources = verify::ReadSources(request, verify::kSourceTimeLimit, cancelled);
    if (cancelled()) throw digest::clsMD5::Cancelled{};
    // The package's own signature is checked from the digest's reads, and finished after them.
    std::vector<digest::clsMD5::Tap> taps;
    for (const verify::Source& source : sources) {
        if (source.pending) taps.emplace_back([check = source.pending](auto bytes) { check->Feed(bytes); });
    }
    const digest::FileDigests digests = md5.DigestFile(
        request.packagePath, verify::DigestsToCompute(sources),
        [&control](std::uint64_t done, std::uint64_t total) {
            control.Report(done, total);
            return !control.Cancelled();
        },
        taps);
    for (verify::Source& source : sources) {
        if (!source.pending) continue;
        source.signature = source.pending->Finish(verify::SignatureCheck::Clock::now() + verify::kSourceTimeLimit);
        source.pending.reset();
    }
    return verify::Judge(digests, sources);
}

}  // namespace window
