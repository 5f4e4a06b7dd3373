// What the Linux benchmarks share: a throwaway directory that goes away even when the run is
// interrupted, files of pseudo-random content, child processes timed and measured by the
// kernel, and order statistics.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// A fresh directory under $TMPDIR (or /tmp), removed with all it holds on destruction. The
// large files made through it are also removed when SIGINT, SIGTERM or SIGHUP ends the run.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& prefix);
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

    // A file of `bytes` pseudo-random bytes, flushed to the disk so that write-back does
    // not run during the timed runs; its pages stay in the page cache.
    std::string WriteRandomFile(const std::string& name, std::uint64_t bytes, std::uint64_t seed);
    // A sparse file of `bytes` bytes whose last MiB is pseudo-random.
    std::string WriteSparseFile(const std::string& name, std::uint64_t bytes, std::uint64_t seed);

private:
    std::string path_;
};

void WriteTextFile(const std::string& path, const std::string& content);

struct ChildRun {
    int exitCode = -1;      // 128 + signal when a signal ended it
    std::string output;     // standard output; standard error passes through
    double seconds = 0;     // wall time from before the fork to after the wait
    double cpuSeconds = 0;  // user and system time of the child: less swayed by other load
};

// Runs a program (looked up in PATH) to its end.
ChildRun RunChild(const std::vector<std::string>& argv);

// Starts a program (by path) with the given environment entries (NAME=value, replacing the
// inherited ones, or NAME alone to drop one), its output appended to `logPath`, and
// returns its process id.
pid_t StartChild(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                 const std::string& logPath);
// Sends SIGTERM and reaps the child.
void StopChild(pid_t pid);

double Median(std::vector<double> values);
// Nearest-rank percentile, p in (0, 100].
double Percentile(std::vector<double> values, double p);

// Seconds on the monotonic clock.
double Now();

// Lowercase 32-digit digest of a file, from md5sum.
std::string Md5sumOf(const std::string& path);

// "Linux 6.1 | 2 cores | Intel(R) Xeon(R) ... | 23.5 GiB RAM | load 0.10": the machine the
// figures come from, and how busy it was.
std::string MachineSummary();

// The directory of a path ("." when it has none).
std::string DirectoryOf(const std::string& path);

}  // namespace bench
