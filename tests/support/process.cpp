#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "runtime/system_posix.h"
#include "tests/support/signal_cleanup.h"
#include "tests/support/test_support.h"

extern char** environ;

namespace testsupport {

namespace {

constexpr uid_t kNobody = 65534;

[[noreturn]] void Fail(const std::string& what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

// Everything the child needs, made before the fork: between fork and exec only
// async-signal-safe calls may run.
class Launch {
public:
    Launch(const std::vector<std::string>& argv, const RunOptions& options) : options_(options), argvText_(argv) {
        const auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string entry = *e;
            const bool replaced = std::any_of(options.environment.begin(), options.environment.end(),
                                              [&](const auto& mine) { return mine.first == nameOf(entry); });
            if (!replaced) envText_.push_back(entry);
        }
        for (const auto& [name, value] : options.environment) {
            if (value) envText_.push_back(name + "=" + *value);
        }
        for (auto& a : argvText_) argv_.push_back(a.data());
        argv_.push_back(nullptr);
        for (auto& e : envText_) envp_.push_back(e.data());
        envp_.push_back(nullptr);
    }

    // In the child: output to `out`, then the options, then the program.
    [[noreturn]] void Exec(int out) const {
        ::dup2(out, 1);
        if (options_.captureStderr) ::dup2(out, 2);
        if (!options_.workingDir.empty() && ::chdir(options_.workingDir.c_str()) != 0) ::_exit(126);
        if (options_.fileSizeLimit >= 0) {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{static_cast<rlim_t>(options_.fileSizeLimit),
                               static_cast<rlim_t>(options_.fileSizeLimit)};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(124);
        }
        ::alarm(options_.timeoutSeconds);  // kept across exec
        if (options_.unprivileged && ::geteuid() == 0) {
            if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(125);
        }
        ::execvpe(argv_[0], argv_.data(), envp_.data());
        ::_exit(127);
    }

private:
    const RunOptions& options_;
    std::vector<std::string> argvText_, envText_;
    std::vector<char*> argv_, envp_;
};

int ExitCodeOf(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

double SecondsOf(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

}  // namespace

ProcessResult Run(const std::vector<std::string>& argv, const RunOptions& options) {
    const Launch launch(argv, options);
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) Fail("pipe");
    runtime::UniqueFd readEnd(pipeFds[0]);
    runtime::UniqueFd writeEnd(pipeFds[1]);
    ProcessResult result;
    const double start = Now();
    const pid_t pid = ::fork();
    if (pid < 0) Fail("fork");
    if (pid == 0) launch.Exec(writeEnd.Get());
    detail::StopOnSignal(pid);
    writeEnd.Reset();
    std::array<char, 4096> buf{};
    for (;;) {
        const ssize_t n = ::read(readEnd.Get(), buf.data(), buf.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        result.output.append(buf.data(), static_cast<std::size_t>(n));
    }
    int status = 0;
    struct rusage usage {};
    while (::wait4(pid, &status, 0, &usage) < 0) {
        if (errno != EINTR) Fail("wait4");
    }
    detail::StopOnSignal(0);
    result.seconds = Now() - start;
    result.cpuSeconds = SecondsOf(usage.ru_utime) + SecondsOf(usage.ru_stime);
    result.exitCode = ExitCodeOf(status);
    return result;
}

pid_t Start(const std::vector<std::string>& argv, const RunOptions& options, const std::string& logPath) {
    const Launch launch(argv, options);
    const runtime::UniqueFd log(::open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
    if (!log.Valid()) Fail("cannot open " + logPath);
    const pid_t pid = ::fork();
    if (pid < 0) Fail("fork");
    if (pid == 0) launch.Exec(log.Get());
    detail::StopOnSignal(pid);
    return pid;
}

void Stop(pid_t pid) {
    ::kill(pid, SIGTERM);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    detail::StopOnSignal(0);
}

bool RunningAsRoot() {
    return ::geteuid() == 0;
}

Unprivileged::Unprivileged() {
    if (!RunningAsRoot()) return;
    switched_ = ::setegid(kNobody) == 0 && ::seteuid(kNobody) == 0;
}

Unprivileged::~Unprivileged() {
    if (!switched_) return;
    if (::seteuid(0) != 0 || ::setegid(0) != 0) std::abort();  // never carry on as the wrong user
}

std::string SumOf(const std::string& tool, const std::string& path) {
    const ProcessResult result = Run({tool, "--", path});
    const auto blank = result.output.find(' ');
    if (result.exitCode != 0 || blank == std::string::npos) throw std::runtime_error(tool + " failed on " + path);
    return result.output.substr(0, blank);
}

std::string Md5sumOf(const std::string& path) {
    return SumOf("md5sum", path);
}

ThrowawaySigner::ThrowawaySigner() : keyring_(home_ / "keyring.gpg") {
    ::chmod(home_.Path().c_str(), 0700);
    if (!Gpg({"--quick-gen-key", "Pellwick Test <test@pellwick.invalid>", "ed25519", "sign", "never"}) ||
        !Gpg({"--output", keyring_, "--export"})) {
        throw std::runtime_error("gpg could not make a key");
    }
}

ThrowawaySigner::~ThrowawaySigner() {
    Run({"gpgconf", "--homedir", home_.Path(), "--kill", "all"});  // its agent, started by the signing
}

bool ThrowawaySigner::Gpg(std::vector<std::string> arguments, const std::string& workingDir) const {
    arguments.insert(arguments.begin(), {"gpg", "--homedir", home_.Path(), "--batch", "--quiet", "--yes",
                                         "--passphrase", "", "--pinentry-mode", "loopback"});
    return Run(arguments, {.workingDir = workingDir}).exitCode == 0;
}

}  // namespace testsupport
