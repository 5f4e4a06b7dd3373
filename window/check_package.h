// The check of one package, as a worker does it for the window: every source of expected digests
// read, each within its time; the package read once for the MD5 and every digest they ask for, and
// fed to its own signature's check; the verdict.
#pragma once

#include "digest/clsMD5.h"
#include "runtime/task.h"
#include "verify/sources.h"
#include "verify/verdict.h"

namespace window {

// Throws what the digest throws (clsMD5::Cancelled once `control` is cancelled).
verify::Judgement CheckPackage(const digest::clsMD5& md5, const verify::SourcesRequest& request,
                               runtime::Job::Control& control);

}  // namespace window
