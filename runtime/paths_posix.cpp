#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "runtime/paths.h"

namespace runtime {

std::string AbsolutePath(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    std::vector<char> cwd(4096);
    while (::getcwd(cwd.data(), cwd.size()) == nullptr) {
        if (errno != ERANGE) return path;  // no current directory to go by
        cwd.resize(cwd.size() * 2);
    }
    return JoinPath(cwd.data(), path);
}

std::string ParentPath(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return "";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty() || (!name.empty() && name[0] == '/')) return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string_view BareName(std::string_view path) {
    // Once per line of a checksum list: the library's search is the fast one.
    const void* slash = ::memrchr(path.data(), '/', path.size());
    return slash == nullptr ? path : path.substr(static_cast<const char*>(slash) - path.data() + 1);
}

bool SameFileName(std::string_view a, std::string_view b) {
    return a == b;
}

namespace {

// The names along an absolute path, without "." and empty ones. ".." stays a name: through a
// symbolic link it need not lead back to the folder before it.
std::vector<std::string_view> Steps(std::string_view path) {
    std::vector<std::string_view> steps;
    for (std::size_t at = 0; at <= path.size();) {
        const auto slash = std::min(path.find('/', at), path.size());
        const std::string_view step = path.substr(at, slash - at);
        if (!step.empty() && step != ".") steps.push_back(step);
        at = slash + 1;
    }
    return steps;
}

}  // namespace

bool SamePath(const std::string& a, const std::string& b) {
    const std::string absoluteA = AbsolutePath(a), absoluteB = AbsolutePath(b);
    return Steps(absoluteA) == Steps(absoluteB);
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

std::string GnupgHome() {
    if (const char* home = std::getenv("GNUPGHOME"); home != nullptr && *home != '\0') return home;
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
        const passwd* user = ::getpwuid(::geteuid());
        if (user == nullptr || user->pw_dir == nullptr) return "";
        home = user->pw_dir;
    }
    return JoinPath(home, ".gnupg");
}

std::string GpgvProgram() {
    return "/usr/bin/gpgv";
}

}  // namespace runtime
