#include "verify/checksum_files.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "runtime/error.h"
#include "runtime/files.h"
#include "runtime/paths.h"
#include "verify/checksum_lines.h"

namespace verify {

namespace {

constexpr std::string_view kListNames[] = {"MD5SUMS", "MD5SUMS.txt", "md5sums", "md5sums.txt"};
constexpr std::string_view kDigestExtensions[] = {".md5", ".md5sum"};

bool EndsWithAnyCase(std::string_view text, std::string_view ending) {
    if (text.size() < ending.size()) return false;
    text.remove_prefix(text.size() - ending.size());
    return std::equal(text.begin(), text.end(), ending.begin(), [](char a, char b) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(a) == lower(b);
    });
}

// NAME for a file called NAME.md5 or NAME.md5sum.
std::optional<std::string_view> DigestFileStem(std::string_view bareName) {
    for (const auto extension : kDigestExtensions) {
        if (EndsWithAnyCase(bareName, extension) && bareName.size() > extension.size()) {
            return bareName.substr(0, bareName.size() - extension.size());
        }
    }
    return std::nullopt;
}

// The head of a file, at most `limit` bytes; nothing when it cannot be read (a folder, a
// FIFO, no permission, gone, changed while read).
struct Content {
    std::unique_ptr<char[]> bytes;
    std::size_t size = 0;
    bool cutShort = false;  // the file goes on past `limit`
    std::string_view View() const { return {bytes.get(), size}; }
};

std::optional<Content> ReadHead(const std::string& path, std::size_t limit) {
    try {
        runtime::InputFile file(path);
        Content content;
        // One byte more than kept tells whether the file goes on.
        const std::size_t capacity = static_cast<std::size_t>(std::min<std::uint64_t>(file.Size(), limit)) + 1;
        content.bytes = std::make_unique_for_overwrite<char[]>(capacity);
        for (std::size_t n = 1; n != 0 && content.size < capacity;) {
            n = file.Read(reinterpret_cast<unsigned char*>(content.bytes.get()) + content.size,
                          capacity - content.size);
            content.size += n;
        }
        if (content.size == capacity) {
            if (capacity <= limit) return std::nullopt;  // it grew while it was read
            content.size = limit;
            content.cutShort = true;
        }
        return content;
    } catch (const runtime::Error&) {
        return std::nullopt;
    }
}

// The package and the checksum file being read.
struct Reading {
    const std::string& packagePath;
    const std::string& packageName;
    std::string file;    // the checksum file's path
    std::string folder;  // its folder
    bool besidePackage;  // in the package's own folder

    // True when the name, taken from the checksum file's folder as md5sum -c takes it,
    // reaches the package.
    bool NamesPackage(std::string_view name) const {
        if (!runtime::SameFileName(runtime::BareName(name), packageName)) return false;
        if (besidePackage && name == packageName) return true;
        return runtime::SameFile(runtime::JoinPath(folder, std::string(name)), packagePath);
    }
};

void AddExpected(const Reading& reading, const std::string& source, std::vector<Expectation>& out) {
    const auto content = ReadHead(reading.file, kChecksumFileLimit);
    if (!content) return;
    const std::string_view text = content->View();
    const auto add = [&](std::string_view hex, std::size_t line) {
        std::string digest(hex);
        std::transform(digest.begin(), digest.end(), digest.begin(),
                       [](char c) { return c >= 'a' && c <= 'f' ? static_cast<char>(c - 'a' + 'A') : c; });
        out.push_back({digest, source, reading.file + ", line " + std::to_string(line)});
    };
    // A NAME.md5 that holds the digest alone.
    const auto stem = DigestFileStem(runtime::BareName(reading.file));
    if (const auto bare = content->cutShort ? std::nullopt : ParseBareDigest(text); bare && stem) {
        if (reading.NamesPackage(*stem)) {
            add(*bare, 1 + std::count(text.data(), bare->data(), '\n'));
        }
        return;
    }
    std::string scratch;
    ForEachLine(text, content->cutShort, [&](std::size_t number, std::string_view line) {
        const auto entry = ParseChecksumLine(line, scratch);
        if (entry && reading.NamesPackage(entry->name)) add(entry->hex, number);
    });
}

}  // namespace

bool IsPackageName(std::string_view bareName) {
    return EndsWithAnyCase(bareName, ".tar.gz");
}

bool IsChecksumFileName(std::string_view bareName) {
    return DigestFileStem(bareName).has_value() ||
           std::any_of(std::begin(kListNames), std::end(kListNames),
                       [bareName](std::string_view list) { return runtime::SameFileName(bareName, list); });
}

std::vector<Expectation> ExpectedFromFiles(const std::string& packagePath, const std::string& packageName,
                                           const std::string& namedFile) {
    std::vector<Expectation> out;
    const std::string folder = runtime::ParentPath(packagePath);
    if (!namedFile.empty()) {
        const Reading named{packagePath, packageName, namedFile, runtime::ParentPath(namedFile), false};
        AddExpected(named, std::string(runtime::BareName(namedFile)), out);
    }
    std::vector<std::string> read;  // as found: on Windows MD5SUMS and md5sums are one file
    const auto besideName = [&](std::string_view name) {
        const std::string found = runtime::FindFirstMatch(runtime::JoinPath(folder, std::string(name)));
        if (found.empty() || std::find(read.begin(), read.end(), found) != read.end()) return;
        read.push_back(found);
        const Reading beside{packagePath, packageName, runtime::JoinPath(folder, found), folder, true};
        if (!namedFile.empty() && runtime::SameFile(beside.file, namedFile)) return;  // counted already
        AddExpected(beside, found, out);
    };
    for (const auto extension : kDigestExtensions) besideName(packageName + std::string(extension));
    for (const auto list : kListNames) besideName(list);
    return out;
}

std::string FirstListedPackage(const std::string& checksumFile) {
    const auto content = ReadHead(checksumFile, kChecksumFileLimit);
    if (!content) return "";
    const std::string folder = runtime::ParentPath(checksumFile);
    const auto existingPackage = [&folder](std::string_view name) {
        // "./foo.tar.gz" goes into the file-name box as the folder's foo.tar.gz.
        while (name.starts_with("./")) name.remove_prefix(2);
        const std::string path = runtime::JoinPath(folder, std::string(name));
        return IsPackageName(runtime::FindFirstMatch(path)) ? path : "";
    };
    const auto stem = DigestFileStem(runtime::BareName(checksumFile));
    if (stem && !content->cutShort && ParseBareDigest(content->View())) return existingPackage(*stem);
    std::string found, scratch;
    ForEachLine(content->View(), content->cutShort, [&](std::size_t, std::string_view line) {
        if (!found.empty()) return;
        const auto entry = ParseChecksumLine(line, scratch);
        if (entry) found = existingPackage(entry->name);
    });
    return found;
}

}  // namespace verify
