#include "verify/checksum_names.h"

#include <algorithm>
#include <iterator>

#include "runtime/paths.h"
#include "runtime/text.h"
#include "verify/checksum_files.h"

namespace verify {

namespace {

using digest::Algorithm;

// The names of checksum files, in the order the caption names them, with the algorithm each
// name gives.
struct Named {
    std::string_view text;
    std::optional<Algorithm> algorithm;
};
// NAME.md5 and the like, beside the package NAME.
constexpr Named kDigestExtensions[] = {{".md5", Algorithm::kMd5},       {".md5sum", Algorithm::kMd5},
                                       {".sha1", Algorithm::kSha1},     {".sha1sum", Algorithm::kSha1},
                                       {".sha256", Algorithm::kSha256}, {".sha256sum", Algorithm::kSha256},
                                       {".sha384", Algorithm::kSha384}, {".sha384sum", Algorithm::kSha384},
                                       {".sha512", Algorithm::kSha512}, {".sha512sum", Algorithm::kSha512}};
// Lists of every package in a folder.
constexpr Named kListNames[] = {{"MD5SUMS", Algorithm::kMd5},           {"MD5SUMS.txt", Algorithm::kMd5},
                                {"SHA1SUMS", Algorithm::kSha1},         {"SHA1SUMS.txt", Algorithm::kSha1},
                                {"SHA256SUMS", Algorithm::kSha256},     {"SHA256SUMS.txt", Algorithm::kSha256},
                                {"SHA384SUMS", Algorithm::kSha384},     {"SHA384SUMS.txt", Algorithm::kSha384},
                                {"SHA512SUMS", Algorithm::kSha512},     {"SHA512SUMS.txt", Algorithm::kSha512},
                                {"SHASUMS256.txt", Algorithm::kSha256}, {"SHASUMS512.txt", Algorithm::kSha512},
                                {"sha1sum.txt", Algorithm::kSha1},      {"sha256sum.txt", Algorithm::kSha256},
                                {"sha512sum.txt", Algorithm::kSha512},  {"CHECKSUMS", std::nullopt}};
// GoReleaser's PROJECT_VERSION_checksums.txt, Fedora's ...-CHECKSUM; then Debian's .dsc.
constexpr std::string_view kListEndings[] = {"checksums.txt", "CHECKSUM"};
constexpr std::string_view kDsc = ".dsc";

bool EqualAnyCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return runtime::AsciiUpper(x) == runtime::AsciiUpper(y);
           });
}

bool EndsWithAnyCase(std::string_view text, std::string_view ending) {
    return text.size() >= ending.size() && EqualAnyCase(text.substr(text.size() - ending.size()), ending);
}

// The extension of a file NAME.md5 and the like.
const Named* DigestExtensionOf(std::string_view bareName) {
    for (const Named& extension : kDigestExtensions) {
        if (bareName.size() > extension.text.size() && EndsWithAnyCase(bareName, extension.text)) return &extension;
    }
    return nullptr;
}

const Named* ListNameOf(std::string_view bareName) {
    for (const Named& list : kListNames) {
        if (EqualAnyCase(bareName, list.text)) return &list;
    }
    return nullptr;
}

}  // namespace

std::optional<std::size_t> CaptionOrder(std::string_view name, std::string_view packageName) {
    if (const Named* extension = DigestExtensionOf(name)) {
        if (!runtime::SameFileName(name.substr(0, name.size() - extension->text.size()), packageName)) {
            return std::nullopt;
        }
        return extension - std::begin(kDigestExtensions);
    }
    if (const Named* list = ListNameOf(name)) return std::size(kDigestExtensions) + (list - std::begin(kListNames));
    const std::size_t later = std::size(kDigestExtensions) + std::size(kListNames);
    if (EndsWithAnyCase(name, kDsc)) return later + 1;
    if (IsChecksumFileName(name)) return later;  // a name with one of the lists' endings
    return std::nullopt;
}

bool IsPackagesOwn(std::size_t captionOrder) {
    return captionOrder < std::size(kDigestExtensions);
}

bool NamedForPackage(std::string_view dsc, std::string_view packageName) {
    if (!EndsWithAnyCase(dsc, kDsc)) return false;
    std::string_view version = dsc.substr(0, dsc.size() - kDsc.size());
    const auto underscore = version.find('_');
    if (underscore == std::string_view::npos) return false;
    const std::string_view source = version.substr(0, underscore + 1);
    version.remove_prefix(underscore + 1);
    if (const auto revision = version.rfind('-'); revision != std::string_view::npos)
        version = version.substr(0, revision);
    return !version.empty() && packageName.starts_with(source) &&
           packageName.substr(source.size()).starts_with(version);
}

bool IsPackageName(std::string_view bareName) {
    return EndsWithAnyCase(bareName, ".tar.gz");
}

bool IsChecksumFileName(std::string_view bareName) {
    return DigestExtensionOf(bareName) != nullptr || ListNameOf(bareName) != nullptr ||
           std::any_of(std::begin(kListEndings), std::end(kListEndings),
                       [bareName](std::string_view ending) { return EndsWithAnyCase(bareName, ending); }) ||
           EndsWithAnyCase(bareName, kDsc);
}

std::optional<std::string> SignedFileOf(const std::string& path) {
    const std::string_view name = runtime::BareName(path);
    for (const std::string_view extension : {".sig", ".asc", ".gpg"}) {
        if (name.size() > extension.size() && EndsWithAnyCase(name, extension)) {
            return path.substr(0, path.size() - extension.size());
        }
    }
    return std::nullopt;
}

FileKind FileKindOf(std::string_view bareName) {
    FileKind kind;
    if (const Named* extension = DigestExtensionOf(bareName)) {
        kind.algorithm = extension->algorithm;
        kind.stem = bareName.substr(0, bareName.size() - extension->text.size());
    } else if (const Named* list = ListNameOf(bareName)) {
        kind.algorithm = list->algorithm;
    }
    kind.dsc = EndsWithAnyCase(bareName, kDsc);
    return kind;
}

}  // namespace verify
