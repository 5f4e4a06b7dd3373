#include "bench/support.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "runtime/system_posix.h"

extern char** environ;

namespace bench {

namespace fs = std::filesystem;

namespace {

// Paths the signal handler removes: fixed storage, because only async-signal-safe calls
// (unlink, rmdir) may run there.
constexpr int kMaxDoomed = 16;
constexpr std::size_t kMaxPath = 512;
char gDoomedFiles[kMaxDoomed][kMaxPath];
volatile sig_atomic_t gDoomedCount = 0;
char gDoomedDir[kMaxPath];
// The child being waited for; it would otherwise go on reading a file that is gone.
volatile sig_atomic_t gChild = 0;

void RemoveOnSignal(int sig) {
    if (gChild > 0) ::kill(gChild, SIGTERM);
    for (int i = 0; i < gDoomedCount; ++i) ::unlink(gDoomedFiles[i]);
    if (gDoomedDir[0] != '\0') ::rmdir(gDoomedDir);
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

void Doom(const std::string& path) {
    if (gDoomedCount >= kMaxDoomed || path.size() >= kMaxPath) return;
    std::memcpy(gDoomedFiles[gDoomedCount], path.c_str(), path.size() + 1);
    gDoomedCount = gDoomedCount + 1;
}

[[noreturn]] void Fail(const std::string& what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

// splitmix64: fast, and good enough that no compressor or cache can shortcut the digest.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    void Fill(unsigned char* out, std::size_t bytes) {
        for (std::size_t at = 0; at < bytes; at += 8) {
            const std::uint64_t v = Next();
            std::memcpy(out + at, &v, std::min<std::size_t>(8, bytes - at));
        }
    }

private:
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    std::uint64_t state_;
};

void WriteAll(int fd, const unsigned char* data, std::size_t size, const std::string& path) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) Fail("cannot write " + path);
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

constexpr std::size_t kChunk = std::size_t{1} << 20;

}  // namespace

ScratchDir::ScratchDir(const std::string& prefix) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/" + prefix + "-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) Fail("mkdtemp " + pattern);
    path_ = pattern;
    if (path_.size() < kMaxPath) std::memcpy(gDoomedDir, path_.c_str(), path_.size() + 1);
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) ::signal(sig, RemoveOnSignal);
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
    gDoomedCount = 0;
    gDoomedDir[0] = '\0';
}

std::string ScratchDir::WriteRandomFile(const std::string& name, std::uint64_t bytes, std::uint64_t seed) {
    std::string path = *this / name;
    Doom(path);
    const runtime::UniqueFd file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!file.Valid()) Fail("cannot create " + path);
    const int fd = file.Get();
    {
        Random random(seed);
        const auto buffer = std::make_unique<unsigned char[]>(kChunk);
        for (std::uint64_t done = 0; done < bytes;) {
            const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, bytes - done));
            random.Fill(buffer.get(), n);
            WriteAll(fd, buffer.get(), n, path);
            done += n;
        }
    }
    if (::fdatasync(fd) != 0) Fail("cannot flush " + path);
    return path;
}

std::string ScratchDir::WriteSparseFile(const std::string& name, std::uint64_t bytes, std::uint64_t seed) {
    std::string path = *this / name;
    Doom(path);
    const runtime::UniqueFd file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!file.Valid()) Fail("cannot create " + path);
    const int fd = file.Get();
    const std::uint64_t tail = std::min<std::uint64_t>(kChunk, bytes);
    if (::ftruncate(fd, static_cast<off_t>(bytes - tail)) != 0 ||
        ::lseek(fd, static_cast<off_t>(bytes - tail), SEEK_SET) < 0) {
        Fail("cannot size " + path);
    }
    {
        const auto buffer = std::make_unique<unsigned char[]>(tail);
        Random(seed).Fill(buffer.get(), tail);
        WriteAll(fd, buffer.get(), tail, path);
    }
    return path;
}

void WriteTextFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out) throw std::runtime_error("cannot write " + path);
}

ChildRun RunChild(const std::vector<std::string>& argv) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) Fail("pipe");
    ChildRun run;
    const double start = Now();
    const pid_t pid = ::fork();
    if (pid < 0) Fail("fork");
    if (pid == 0) {
        ::dup2(pipeFds[1], 1);
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    gChild = pid;
    ::close(pipeFds[1]);
    std::array<char, 4096> buf{};
    for (;;) {
        const ssize_t n = ::read(pipeFds[0], buf.data(), buf.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        run.output.append(buf.data(), static_cast<std::size_t>(n));
    }
    ::close(pipeFds[0]);
    int status = 0;
    struct rusage usage {};
    while (::wait4(pid, &status, 0, &usage) < 0) {
        if (errno != EINTR) Fail("wait4");
    }
    gChild = 0;
    run.seconds = Now() - start;
    const auto secondsOf = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    run.cpuSeconds = secondsOf(usage.ru_utime) + secondsOf(usage.ru_stime);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

pid_t StartChild(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                 const std::string& logPath) {
    std::vector<std::string> env;
    const auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        const bool replaced = std::any_of(environment.begin(), environment.end(),
                                          [&](const std::string& mine) { return nameOf(mine) == nameOf(entry); });
        if (!replaced) env.push_back(entry);
    }
    for (const auto& mine : environment) {
        if (mine.find('=') != std::string::npos) env.push_back(mine);
    }
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid < 0) Fail("fork");
    if (pid == 0) {
        const int log = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (log >= 0) {
            ::dup2(log, 1);
            ::dup2(log, 2);
        }
        ::execve(args[0], args.data(), envp.data());
        ::_exit(127);
    }
    gChild = pid;
    return pid;
}

void StopChild(pid_t pid) {
    ::kill(pid, SIGTERM);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    gChild = 0;
}

double Median(std::vector<double> values) {
    if (values.empty()) return std::nan("");
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return std::nan("");
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(std::ceil(p / 100.0 * static_cast<double>(values.size())));
    return values[std::clamp<std::size_t>(rank, 1, values.size()) - 1];
}

double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::string Md5sumOf(const std::string& path) {
    const ChildRun run = RunChild({"md5sum", "--", path});
    if (run.exitCode != 0 || run.output.size() < 32) throw std::runtime_error("md5sum failed on " + path);
    return run.output.substr(0, 32);
}

std::string MachineSummary() {
    std::string cpu = "unknown CPU";
    std::ifstream cpuinfo("/proc/cpuinfo");
    for (std::string line; std::getline(cpuinfo, line);) {
        if (line.rfind("model name", 0) == 0) {
            cpu = line.substr(line.find(':') + 2);
            break;
        }
    }
    long long memKiB = 0;
    std::ifstream meminfo("/proc/meminfo");
    for (std::string line; std::getline(meminfo, line);) {
        if (line.rfind("MemTotal:", 0) == 0) {
            memKiB = std::atoll(line.c_str() + 9);
            break;
        }
    }
    std::string load;
    std::ifstream loadavg("/proc/loadavg");
    loadavg >> load;  // the one-minute figure: other work on the machine skews every benchmark
    struct utsname uts {};
    ::uname(&uts);
    std::ostringstream out;
    out.precision(1);
    out << std::fixed << uts.sysname << " " << uts.release << " | " << ::sysconf(_SC_NPROCESSORS_ONLN) << " cores | "
        << cpu << " | " << static_cast<double>(memKiB) / (1024.0 * 1024.0) << " GiB RAM | load " << load;
    return out.str();
}

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace bench
