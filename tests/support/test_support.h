// What the Linux tests and benchmarks share: throwaway folders and a throwaway home, files,
// child processes with their times, md5sum, and order statistics.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/statistics.h"

namespace testsupport {

// A fresh directory under $TMPDIR (or /tmp), removed with all it holds, whatever permission
// bits a test left on its entries. The files made by WriteRandomFile and WriteSparseFile (up to
// 4 GiB in the benchmarks), and the directory once empty, also go when SIGINT, SIGTERM or
// SIGHUP ends the run, and so does the child process being waited for.
class TempDir {
public:
    explicit TempDir(const std::string& prefix = "pellwick-test");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

    // A file of `bytes` pseudo-random bytes, flushed to the disk so that write-back does not
    // run during timed runs; its pages stay in the page cache. Returns its path.
    std::string WriteRandomFile(const std::string& name, std::uint64_t bytes, std::uint64_t seed) const;
    // A sparse file of `bytes` bytes whose last MiB is pseudo-random.
    std::string WriteSparseFile(const std::string& name, std::uint64_t bytes, std::uint64_t seed) const;

private:
    std::string path_;
};

void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);
// Copies a program into `dir` as `dir/probe`, runnable by anyone: that folder becomes its
// program directory. Returns the copy's path.
std::string InstallProbe(const std::string& program, const TempDir& dir);

// Writes Quorrel's INI under `configHome` with `QRL_Dir` set to `value`.
void StoreInstallerDir(const std::string& configHome, const std::string& value);

// A throwaway home for the code that reads the installer's setting and the documents folder:
// while it lives, HOME and XDG_CONFIG_HOME point into it; after, they are as they were.
class Sandbox {
public:
    Sandbox();
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    std::string Home() const { return root_ / "home"; }
    std::string Documents() const { return Home() + "/Documents"; }
    std::string Packages() const { return root_ / "packages"; }
    std::string ConfigHome() const { return root_ / "config"; }

    void StoreInstallerDir(const std::string& value) const { testsupport::StoreInstallerDir(ConfigHome(), value); }
    void RemoveDocuments() const;
    // A new file in Packages(); returns its path.
    std::string Package(const std::string& name, const std::string& content) const;

private:
    TempDir root_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

struct RunOptions {
    std::string workingDir{};
    // A root caller runs the program as the user "nobody", so that permission bits bind it.
    bool unprivileged = false;
    // Added or replaced; an entry without a value is removed.
    std::vector<std::pair<std::string, std::optional<std::string>>> environment{};
    long long fileSizeLimit = -1;  // bytes, with SIGXFSZ ignored so that writes fail instead
    bool captureStderr = true;     // false: standard error passes through to ours
    unsigned timeoutSeconds = 0;   // then SIGALRM ends it, so a hang fails the test; 0: no limit
};

struct ProcessResult {
    int exitCode = -1;      // 128 + signal when a signal ended it
    std::string output;     // standard output, and standard error unless it passed through
    double seconds = 0;     // wall time from before the fork to after the wait
    double cpuSeconds = 0;  // user and system time of the child: less swayed by other load
};

// Runs a program (looked up in PATH) and waits for it.
ProcessResult Run(const std::vector<std::string>& argv, const RunOptions& options = {});

// Starts a program in the background, its output appended to `logPath`, and returns its
// process id; Stop sends it SIGTERM and reaps it.
pid_t Start(const std::vector<std::string>& argv, const RunOptions& options, const std::string& logPath);
void Stop(pid_t pid);

bool RunningAsRoot();

// A GnuPG home of its own with one signing key, for as long as it lives: gpg run in it (false when
// gpg fails), and the key exported to a keyring file that gpgv takes.
class ThrowawaySigner {
public:
    ThrowawaySigner();
    ~ThrowawaySigner();
    ThrowawaySigner(const ThrowawaySigner&) = delete;
    ThrowawaySigner& operator=(const ThrowawaySigner&) = delete;
    bool Gpg(std::vector<std::string> arguments, const std::string& workingDir = "") const;
    const std::string& Home() const { return home_.Path(); }
    const std::string& Keyring() const { return keyring_; }

private:
    TempDir home_{"pellwick-gnupg"};
    std::string keyring_;
};

// While alive, a root process acts as the user "nobody", so that permission bits bind it.
class Unprivileged {
public:
    Unprivileged();
    ~Unprivileged();
    Unprivileged(const Unprivileged&) = delete;
    Unprivileged& operator=(const Unprivileged&) = delete;

private:
    bool switched_ = false;
};

// Lowercase hex digest of a file from a reference tool: md5sum, sha1sum, sha256sum, sha512sum...
std::string SumOf(const std::string& tool, const std::string& path);
// Lowercase 32-digit digest of a file, from the md5sum tool.
std::string Md5sumOf(const std::string& path);
// The text with a-z raised to A-Z: a digest as the window shows it.
std::string AsciiUpper(std::string text);

// Seconds on the monotonic clock.
double Now();

// "Linux 6.1 | 2 cores | AMD EPYC | L1d 32K ... L3 32768K | 23.5 GiB RAM | load 0.10": the machine the
// figures come from, and how busy it was.
std::string MachineSummary();

}  // namespace testsupport
