// What a run ended by SIGINT, SIGTERM or SIGHUP leaves behind is removed by the handler here:
// the large files and the throwaway directories, and the child being waited for is stopped,
// since it would otherwise go on reading a file that is gone.
#pragma once

#include <sys/types.h>

#include <string>

namespace testsupport::detail {

// Registers a file or directory for removal on a signal (best effort: a fixed number of
// paths). Directories go only once empty, after the files.
void RemoveOnSignal(const std::string& path, bool directory);
// Forgets the directory and everything registered beneath it.
void ForgetOnSignal(const std::string& directory);
// The child to stop on a signal, or 0 for none.
void StopOnSignal(pid_t child);

}  // namespace testsupport::detail
