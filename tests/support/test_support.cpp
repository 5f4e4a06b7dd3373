#include "tests/support/test_support.h"

#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testsupport {

namespace fs = std::filesystem;

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string InstallProbe(const std::string& program, const TempDir& dir) {
    const std::string copy = dir / "probe";
    fs::copy_file(program, copy);
    ::chmod(copy.c_str(), 0755);
    return copy;
}

void StoreInstallerDir(const std::string& configHome, const std::string& value) {
    fs::create_directories(configHome + "/Quorrel");
    WriteFile(configHome + "/Quorrel/Quorrel.ini", "[Settings]\nQRL_Dir=" + value + "\n");
}

Sandbox::Sandbox() : root_("pellwick-home") {
    fs::create_directories(Documents());
    fs::create_directories(Packages());
    fs::create_directories(ConfigHome());
    for (const auto& [name, value] : {std::pair{"HOME", Home()}, std::pair{"XDG_CONFIG_HOME", ConfigHome()}}) {
        const char* old = std::getenv(name);
        saved_.emplace_back(name, old != nullptr ? std::optional<std::string>(old) : std::nullopt);
        ::setenv(name, value.c_str(), 1);
    }
}

Sandbox::~Sandbox() {
    for (const auto& [name, value] : saved_) {
        if (value) {
            ::setenv(name.c_str(), value->c_str(), 1);
        } else {
            ::unsetenv(name.c_str());
        }
    }
}

void Sandbox::RemoveDocuments() const {
    fs::remove_all(Documents());
}

std::string Sandbox::Package(const std::string& name, const std::string& content) const {
    const std::string path = Packages() + "/" + name;
    WriteFile(path, content);
    return path;
}

std::string AsciiUpper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
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
    // The caches, which decide how large a read still sits in them when it is digested.
    std::string caches;
    for (int index = 0;; ++index) {
        const std::string dir = "/sys/devices/system/cpu/cpu0/cache/index" + std::to_string(index) + "/";
        std::ifstream level(dir + "level"), type(dir + "type"), size(dir + "size");
        std::string l, t, s;
        if (!(level >> l) || !(type >> t) || !(size >> s)) break;
        caches += " L" + l + (t == "Data" ? "d" : t == "Instruction" ? "i" : "") + " " + s;
    }
    std::string load;
    std::ifstream loadavg("/proc/loadavg");
    loadavg >> load;  // the one-minute figure: other work on the machine skews every benchmark
    struct utsname uts {};
    ::uname(&uts);
    std::ostringstream out;
    out.precision(1);
    out << std::fixed << uts.sysname << " " << uts.release << " | " << ::sysconf(_SC_NPROCESSORS_ONLN) << " cores | "
        << cpu << " |" << (caches.empty() ? " caches unknown" : caches) << " | "
        << static_cast<double>(memKiB) / (1024.0 * 1024.0) << " GiB RAM | load " << load;
    return out.str();
}

}  // namespace testsupport
