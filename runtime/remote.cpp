#include "runtime/remote.h"

#include <chrono>
#include <cstdlib>
#include <thread>

#include "runtime/files.h"

namespace runtime {

namespace {

struct SlowLookup {
    std::chrono::milliseconds delay{0};
    std::string prefix;
};

const SlowLookup& SlowLookupForTesting() {
    static const SlowLookup hook = [] {
        SlowLookup h;
        const char* value = std::getenv("PELLWICK_TEST_SLOW_LOOKUP");
        const std::string text = value != nullptr ? value : "";
        const auto colon = text.find(':');
        if (colon == std::string::npos || colon + 1 == text.size()) return h;
        h.delay = std::chrono::milliseconds(std::atol(text.substr(0, colon).c_str()));
        h.prefix = text.substr(colon + 1);
        return h;
    }();
    return hook;
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool IsRemoteType(std::string_view type) {
    // fuseblk is a local disk (NTFS, exFAT) behind FUSE; any other FUSE file system may be a
    // server (sshfs, davfs, s3fs...).
    if (type.starts_with("fuse.") || type == "fuse") return true;
    for (const std::string_view remote : {"nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "9p", "ceph", "afs",
                                          "autofs", "lustre", "glusterfs", "gfs2", "ocfs2", "orangefs", "beegfs"}) {
        if (type == remote) return true;
    }
    return false;
}

// mountinfo writes space, tab, line break and backslash in a path as \ooo.
std::string Unescaped(std::string_view field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const auto octal = [](char c) { return c >= '0' && c <= '7'; };
            if (octal(field[i + 1]) && octal(field[i + 2]) && octal(field[i + 3])) {
                out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

}  // namespace

bool SlowForTesting(const std::string& text) {
    const SlowLookup& hook = SlowLookupForTesting();
    return !hook.prefix.empty() && text.starts_with(hook.prefix);
}

std::string FindFirstMatchRemote(const std::string& text) {
    if (SlowForTesting(text)) std::this_thread::sleep_for(SlowLookupForTesting().delay);
    return FindFirstMatch(text);
}

std::vector<std::string> NetworkMountPoints(std::string_view mountinfo) {
    std::vector<std::string> points;
    while (!mountinfo.empty()) {
        const auto end = mountinfo.find('\n');
        const std::string_view line = mountinfo.substr(0, end);
        mountinfo.remove_prefix(end == std::string_view::npos ? mountinfo.size() : end + 1);
        // "id parent major:minor root mount-point options [optional...] - type source options"
        std::vector<std::string_view> fields;
        for (std::size_t at = 0; at < line.size();) {
            const auto space = line.find(' ', at);
            const auto stop = space == std::string_view::npos ? line.size() : space;
            if (stop > at) fields.push_back(line.substr(at, stop - at));
            at = stop + 1;
        }
        for (std::size_t i = 6; i + 1 < fields.size(); ++i) {
            if (fields[i] != "-") continue;
            if (IsRemoteType(fields[i + 1])) points.push_back(Unescaped(fields[4]));
            break;
        }
    }
    return points;
}

bool UnderMountPoint(std::string_view path, const std::vector<std::string>& mountPoints) {
    for (const std::string& point : mountPoints) {
        if (point == "/") return true;
        if (path.starts_with(point) && (path.size() == point.size() || path[point.size()] == '/')) return true;
    }
    return false;
}

bool IsUncPath(std::string_view text) {
    if (text.size() < 3 || !IsSeparator(text[0]) || !IsSeparator(text[1])) return false;
    if ((text[2] == '?' || text[2] == '.') && (text.size() == 3 || IsSeparator(text[3]))) {
        // \\?\UNC\server\... is a UNC path too; \\?\C:\ and \\.\device are not.
        const std::string_view rest = text.substr(4 > text.size() ? text.size() : 4);
        return rest.size() >= 4 && (rest[0] == 'U' || rest[0] == 'u') && (rest[1] == 'N' || rest[1] == 'n') &&
               (rest[2] == 'C' || rest[2] == 'c') && IsSeparator(rest[3]);
    }
    return true;  // a server's name, or stray separators that the system takes as one
}

}  // namespace runtime
