#include "verify/checksum_files.h"

#include <algorithm>
#include <memory>
#include <mutex>

#include "runtime/error.h"
#include "runtime/files.h"
#include "runtime/paths.h"
#include "runtime/text.h"

namespace verify {

namespace {

constexpr std::size_t kReadSize = std::size_t{64} << 10;

constexpr std::string_view kDigestExtensions[] = {".md5",       ".md5sum", ".sha1",      ".sha1sum", ".sha256",
                                                  ".sha256sum", ".sha384", ".sha384sum", ".sha512",  ".sha512sum"};
constexpr std::string_view kListNames[] = {"MD5SUMS",     "MD5SUMS.txt",    "SHA1SUMS",       "SHA1SUMS.txt",
                                           "SHA256SUMS",  "SHA256SUMS.txt", "SHA384SUMS",     "SHA384SUMS.txt",
                                           "SHA512SUMS",  "SHA512SUMS.txt", "SHASUMS256.txt", "SHASUMS512.txt",
                                           "sha1sum.txt", "sha256sum.txt",  "sha512sum.txt",  "CHECKSUMS"};
constexpr std::string_view kListEndings[] = {"checksums.txt", "CHECKSUM"};

bool EqualAnyCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return runtime::AsciiUpper(x) == runtime::AsciiUpper(y);
           });
}

bool EndsWithAnyCase(std::string_view text, std::string_view ending) {
    return text.size() >= ending.size() && EqualAnyCase(text.substr(text.size() - ending.size()), ending);
}

// NAME for a file called NAME.md5, NAME.sha256 and the like.
std::optional<std::string_view> DigestFileStem(std::string_view bareName) {
    for (const auto extension : kDigestExtensions) {
        if (EndsWithAnyCase(bareName, extension) && bareName.size() > extension.size()) {
            return bareName.substr(0, bareName.size() - extension.size());
        }
    }
    return std::nullopt;
}

// True for a name that may be a checksum file of some package in its folder.
bool MayBeChecksumFile(std::string_view name) {
    return DigestFileStem(name) ||
           std::any_of(std::begin(kListNames), std::end(kListNames),
                       [name](std::string_view list) { return EqualAnyCase(name, list); }) ||
           std::any_of(std::begin(kListEndings), std::end(kListEndings),
                       [name](std::string_view ending) { return EndsWithAnyCase(name, ending); }) ||
           EndsWithAnyCase(name, ".dsc");
}

// The names in the folder that may be checksum files. A folder of downloads may hold thousands
// of files, which take milliseconds to list: the last folder's names are kept while it has not
// changed.
std::vector<std::string> ChecksumFileNames(const std::string& folder) {
    static std::mutex lock;
    static std::string keptFolder, keptStamp;
    static std::vector<std::string> keptNames;
    // Taken before the listing: a change while it runs shows as a new stamp next time.
    const std::optional<std::string> stamp = runtime::SettledFolderStamp(folder);
    {
        const std::lock_guard<std::mutex> guard(lock);
        if (stamp && keptFolder == folder && keptStamp == *stamp) return keptNames;
    }
    std::vector<std::string> names = runtime::ListFolder(folder, MayBeChecksumFile);
    if (stamp) {
        const std::lock_guard<std::mutex> guard(lock);
        keptFolder = folder;
        keptStamp = *stamp;
        keptNames = names;
    }
    return names;
}

// Where the file name stands in the caption's order; nothing for a name that is no checksum file
// of the package.
std::optional<std::size_t> RankBeside(std::string_view name, std::string_view packageName) {
    if (const auto stem = DigestFileStem(name); stem && runtime::SameFileName(*stem, packageName)) {
        for (std::size_t i = 0; i < std::size(kDigestExtensions); ++i) {
            if (EndsWithAnyCase(name, kDigestExtensions[i])) return i;
        }
    }
    for (std::size_t i = 0; i < std::size(kListNames); ++i) {
        if (EqualAnyCase(name, kListNames[i])) return 100 + i;
    }
    for (const auto ending : kListEndings) {
        if (EndsWithAnyCase(name, ending)) return 200;
    }
    if (EndsWithAnyCase(name, ".dsc")) return 300;
    return std::nullopt;
}

// True when a name in the folder's list leads to the package, taken from that folder as the
// reference tools take it: its bare name is the package's, it climbs to no parent, and it is one
// path with the package's. Nothing is opened.
bool NamesPackage(std::string_view name, const std::string& folder, const std::string& packagePath,
                  const std::string& packageName) {
    if (name.empty() || !runtime::SameFileName(runtime::BareName(name), packageName)) return false;
    for (std::string_view rest = name; !rest.empty();) {
        const std::string_view step = runtime::BareName(rest);
        if (step == "..") return false;
        rest.remove_suffix(std::min(rest.size(), step.size() + 1));
    }
    return runtime::SamePath(runtime::JoinPath(folder, std::string(name)), packagePath);
}

// Streams the file through `text`; false when it cannot be read.
bool Stream(const std::string& path, ChecksumText& text, const std::function<bool()>& stop) {
    try {
        runtime::InputFile file(path);
        const runtime::ReadBuffer buffer = runtime::NewReadBuffer(kReadSize);
        for (;;) {
            if (stop && stop()) return false;
            const std::size_t got = file.Read(buffer.get(), kReadSize);
            if (got == 0) break;
            text.Feed({reinterpret_cast<const char*>(buffer.get()), got});
        }
        text.End();
        return true;
    } catch (const runtime::Error&) {
        return false;
    }
}

}  // namespace

bool IsPackageName(std::string_view bareName) {
    return EndsWithAnyCase(bareName, ".tar.gz");
}

std::vector<std::string> ChecksumFilesBeside(const std::string& packagePath, const std::string& packageName) {
    const std::string folder = runtime::ParentPath(packagePath);
    std::vector<std::pair<std::size_t, std::string>> ranked;
    for (std::string& name : ChecksumFileNames(folder)) {
        if (const auto rank = RankBeside(name, packageName)) ranked.emplace_back(*rank, std::move(name));
    }
    std::sort(ranked.begin(), ranked.end());
    if (ranked.size() > kMostChecksumFiles) ranked.resize(kMostChecksumFiles);
    std::vector<std::string> paths;
    paths.reserve(ranked.size());
    for (const auto& [rank, name] : ranked) paths.push_back(runtime::JoinPath(folder, name));
    return paths;
}

std::optional<FileReading> ReadChecksumFile(const std::string& path, const std::string& packagePath,
                                            const std::string& packageName, const std::function<bool()>& stop) {
    const std::string folder = runtime::ParentPath(path);
    ChecksumText text(packageName, [&](const ChecksumEntry& entry) {
        return NamesPackage(entry.name, folder, packagePath, packageName);
    });
    if (!Stream(path, text, stop)) return std::nullopt;
    FileReading reading{text.Entries(), text.Signed(), text.UnreadLine()};
    // A NAME.md5 or NAME.sha256 that holds the digest alone.
    const auto stem = DigestFileStem(runtime::BareName(path));
    if (const auto bare = text.BareDigest(); bare && stem) {
        reading.entries.clear();
        if (NamesPackage(*stem, folder, packagePath, packageName)) reading.entries.push_back(*bare);
    }
    return reading;
}

std::string FirstListedPackage(const std::string& checksumFile, const std::function<bool()>& stop) {
    const std::string folder = runtime::ParentPath(checksumFile);
    std::string found;
    const auto existingPackage = [&folder](std::string_view name) -> std::string {
        // "./foo.tar.gz" goes into the file-name box as the folder's foo.tar.gz; a name in
        // another folder is never looked at.
        while (name.starts_with("./")) name.remove_prefix(2);
        if (name != runtime::BareName(name) || !IsPackageName(name)) return "";
        const std::string path = runtime::JoinPath(folder, std::string(name));
        return IsPackageName(runtime::FindFirstMatch(path)) ? path : "";
    };
    ChecksumText text("", [&](const ChecksumEntry& entry) {
        if (found.empty()) found = existingPackage(entry.name);
        return false;
    });
    const auto stopOrFound = [&] { return !found.empty() || (stop && stop()); };
    const bool read = Stream(checksumFile, text, stopOrFound);
    if (!found.empty() || !read) return found;
    const auto stem = DigestFileStem(runtime::BareName(checksumFile));
    if (stem && text.BareDigest()) return existingPackage(*stem);
    return found;
}

}  // namespace verify
