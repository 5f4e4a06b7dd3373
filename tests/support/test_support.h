// Helpers for tests that work on real files in throwaway directories.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// A fresh directory under the system's temporary directory, removed with all it holds.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void WriteFile(const std::string& path, const std::string& content);
// Copies a program into `dir` as `dir/probe`, runnable by anyone: that folder becomes its
// program directory. Returns the copy's path.
std::string InstallProbe(const std::string& program, const TempDir& dir);
std::string ReadFile(const std::string& path);
std::string Md5sumOf(const std::string& path);  // lowercase hex, from the md5sum tool

struct ProcessResult {
    int exitCode = -1;
    std::string output;  // standard output and standard error
};

struct RunOptions {
    std::string workingDir;
    // A root caller runs the program as the user "nobody", so permission bits bind it.
    bool unprivileged = false;
    std::vector<std::pair<std::string, std::string>> environment;  // added or replaced
    long long fileSizeLimit = -1;                                  // bytes, with SIGXFSZ ignored so writes fail instead
    unsigned timeoutSeconds = 0;                                   // then SIGALRM ends it; 0: no limit
};

// Runs a program and waits for it.
ProcessResult Run(const std::vector<std::string>& argv, const RunOptions& options);
ProcessResult Run(const std::vector<std::string>& argv, const std::string& workingDir = "", bool unprivileged = false);

bool RunningAsRoot();

}  // namespace testsupport
