#include "tests/support/test_support.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testsupport {

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "pellwick-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    ::chmod(pattern.c_str(), 0755);  // so that an unprivileged child can reach its files
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    // Tests make some entries unwritable; give write access back so the tree can go.
    for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (it->is_directory(ec)) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string InstallProbe(const std::string& program, const TempDir& dir) {
    const std::string copy = dir / "probe";
    fs::copy_file(program, copy);
    ::chmod(copy.c_str(), 0755);
    return copy;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Md5sumOf(const std::string& path) {
    const auto result = Run({"md5sum", "--", path});
    if (result.exitCode != 0 || result.output.size() < 32) throw std::runtime_error("md5sum failed on " + path);
    return result.output.substr(0, 32);
}

bool RunningAsRoot() {
    return ::geteuid() == 0;
}

ProcessResult Run(const std::vector<std::string>& argv, const std::string& workingDir, bool unprivileged) {
    RunOptions options;
    options.workingDir = workingDir;
    options.unprivileged = unprivileged;
    return Run(argv, options);
}

ProcessResult Run(const std::vector<std::string>& argv, const RunOptions& options) {
    const std::string& workingDir = options.workingDir;
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        ::dup2(pipeFds[1], 1);
        ::dup2(pipeFds[1], 2);
        if (!workingDir.empty() && ::chdir(workingDir.c_str()) != 0) ::_exit(126);
        for (const auto& [name, value] : options.environment) ::setenv(name.c_str(), value.c_str(), 1);
        if (options.fileSizeLimit >= 0) {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{static_cast<rlim_t>(options.fileSizeLimit), static_cast<rlim_t>(options.fileSizeLimit)};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(124);
        }
        ::alarm(options.timeoutSeconds);  // kept across exec
        if (options.unprivileged && ::geteuid() == 0) {
            if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(125);
        }
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    ProcessResult result;
    std::array<char, 4096> buf{};
    for (;;) {
        const ssize_t n = ::read(pipeFds[0], buf.data(), buf.size());
        if (n <= 0) break;
        result.output.append(buf.data(), static_cast<size_t>(n));
    }
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

}  // namespace testsupport
