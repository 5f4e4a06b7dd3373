#include "verify/checksum_files.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <span>
#include <tuple>

#include "runtime/error.h"
#include "runtime/files.h"
#include "runtime/paths.h"
#include "runtime/text.h"
#include "verify/checksum_names.h"
#include "verify/checksum_text.h"
#include "verify/sources.h"

namespace verify {

namespace {

constexpr std::size_t kReadSize = std::size_t{64} << 10;

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
    std::vector<std::string> names = runtime::ListFolder(folder, IsChecksumFileName);
    if (stamp) {
        const std::lock_guard<std::mutex> guard(lock);
        keptFolder = folder;
        keptStamp = *stamp;
        keptNames = names;
    }
    return names;
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

// Told each read after `text` has taken it, with the read before it.
using Tap = std::function<void(std::span<const unsigned char> previous, std::span<const unsigned char> read)>;

// Streams the file through `text`; false when it cannot be read.
bool Stream(const std::string& path, ChecksumText& text, const std::function<bool()>& cancelled,
            std::optional<std::uint64_t> largest = std::nullopt, const Tap& tap = nullptr) {
    try {
        runtime::InputFile file(path);
        if (largest && file.Size() > *largest) return false;
        const runtime::ReadBuffer buffers[] = {runtime::NewReadBuffer(kReadSize), runtime::NewReadBuffer(kReadSize)};
        std::span<const unsigned char> previous;
        for (std::size_t n = 0;; ++n) {
            if (cancelled && cancelled()) return false;
            unsigned char* buffer = buffers[n % 2].get();
            const std::size_t got = file.Read(buffer, kReadSize);
            if (got == 0) break;
            text.Feed({reinterpret_cast<const char*>(buffer), got});
            if (tap) tap(previous, {buffer, got});
            previous = {buffer, got};
        }
        text.End();
        return true;
    } catch (const runtime::Error&) {
        return false;
    }
}

// The bytes a signature covers: kept until the file is known to say something of the package
// (most lists in a folder do not, and need no gpgv), or, past kKept, fed at once to a check
// started then. Either way gpgv checks the very bytes that were read.
class SignedData {
public:
    static constexpr std::size_t kKept = std::size_t{4} << 20;

    SignedData(const Verifier& verifier, std::string signatureFile, std::string file)
        : verifier_(verifier), signatureFile_(std::move(signatureFile)), file_(std::move(file)) {}

    void Add(std::span<const unsigned char> bytes) {
        if (!check_ && kept_.size() + bytes.size() > kKept) Start();
        if (check_) {
            check_->Feed(bytes);
        } else {
            kept_.insert(kept_.end(), bytes.begin(), bytes.end());
        }
    }
    Signature Check() {
        if (!check_) Start();
        return check_->Finish(deadline_);
    }

private:
    void Start() {
        check_ = std::make_unique<SignatureCheck>(verifier_, signatureFile_, file_, deadline_);
        check_->Feed(kept_);
        kept_ = {};
    }

    const Verifier& verifier_;
    std::string signatureFile_, file_;
    SignatureCheck::Clock::time_point deadline_ = SignatureCheck::Clock::now() + kSourceTimeLimit;
    std::vector<unsigned char> kept_;
    std::unique_ptr<SignatureCheck> check_;
};

// A detached signature of the file beside it (SHA256SUMS.asc, sha256sum.txt.gpg), or "".
std::string DetachedSignatureOf(const std::string& path) {
    for (const char* extension : {".asc", ".sig", ".gpg"}) {
        if (!runtime::FindFirstMatch(path + extension).empty()) return path + extension;
    }
    return "";
}

}  // namespace

ChecksumFiles ChecksumFilesBeside(const std::string& packagePath, const std::string& packageName) {
    const std::string folder = runtime::ParentPath(packagePath);
    struct Candidate {
        bool forPackage;  // never dropped
        std::size_t order;
        std::string name;
    };
    std::vector<Candidate> candidates;
    for (std::string& name : ChecksumFileNames(folder)) {
        if (const auto order = CaptionOrder(name, packageName)) {
            const bool forPackage = IsPackagesOwn(*order) || NamedForPackage(name, packageName);
            candidates.push_back({forPackage, *order, std::move(name)});
        }
    }
    ChecksumFiles files;
    if (candidates.size() > kMostChecksumFiles) {
        // Those for the package first, each part in the caption's order; the rest beyond the limit go.
        std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
            if (a.forPackage != b.forPackage) return a.forPackage;
            return std::tie(a.order, a.name) < std::tie(b.order, b.name);
        });
        files.passedOver = candidates.size() - kMostChecksumFiles;
        candidates.resize(kMostChecksumFiles);
    }
    std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
        return std::tie(a.order, a.name) < std::tie(b.order, b.name);
    });
    for (const Candidate& candidate : candidates) files.paths.push_back(runtime::JoinPath(folder, candidate.name));
    return files;
}

std::optional<Source> ReadChecksumFile(const std::string& path, const std::string& packagePath,
                                       const std::string& packageName, const std::function<bool()>& cancelled,
                                       const Verifier& verifier) {
    const std::string folder = runtime::ParentPath(path);
    const std::string_view name = runtime::BareName(path);
    ChecksumText text(FileKindOf(name), packageName, [&](const ChecksumEntry& entry) {
        return NamesPackage(entry.name, folder, packagePath, packageName);
    });
    // What a detached signature covers is the whole file; a clearsigned message starts in the read
    // its first line ends in, or in the one before.
    const std::string detachedFile = DetachedSignatureOf(path);
    std::optional<SignedData> detached, clearsigned;
    std::optional<Signature> tooLarge;
    if (!detachedFile.empty()) {
        try {
            if (runtime::InputFile(detachedFile).Size() <= kLargestSignature) {
                detached.emplace(verifier, detachedFile, path);
            } else {
                tooLarge = NotChecked(detachedFile, "it is larger than 1 MiB, and was not read");
            }
        } catch (const runtime::Error&) {
        }
    }
    const bool read = Stream(path, text, cancelled, std::nullopt,
                             [&](std::span<const unsigned char> previous, std::span<const unsigned char> bytes) {
                                 if (detached) detached->Add(bytes);
                                 if (!clearsigned && text.MessageStarted()) {
                                     clearsigned.emplace(verifier, "", path);
                                     clearsigned->Add(previous);
                                 }
                                 if (clearsigned) clearsigned->Add(bytes);
                             });
    if (!read) return std::nullopt;
    Source source;
    source.name = name;
    source.where = path;
    if (text.UnreadLine() != 0) {
        source.notes.push_back("Passed over " + path + ": line " + std::to_string(text.UnreadLine()) +
                               " is too long to read");
        return source;
    }
    source.expected = text.Entries();
    if (text.TextOutsideMessage()) {
        source.notes.push_back(path + " holds text outside its signed message, which counts for nothing");
    } else if (source.expected.empty()) {
        return std::nullopt;
    }
    // Only the signature that covers what counts: a well-formed message's own, else the one beside.
    if (text.Signed() && clearsigned) {
        source.signature = clearsigned->Check();
    } else if (detached) {
        source.signature = detached->Check();
    } else {
        source.signature = tooLarge;
    }
    return source;
}

std::string FirstListedPackage(const std::string& checksumFile, const std::function<bool()>& cancelled) {
    const std::string folder = runtime::ParentPath(checksumFile);
    const std::string_view name = runtime::BareName(checksumFile);
    std::string found;
    ChecksumText text(FileKindOf(name), "", [&](const ChecksumEntry& entry) {
        // "./foo.tar.gz" goes into the file-name box as the folder's foo.tar.gz; a name in
        // another folder is never looked at.
        std::string_view listed = entry.name;
        while (listed.starts_with("./")) listed.remove_prefix(2);
        if (!found.empty() || listed != runtime::BareName(listed) || !IsPackageName(listed)) return false;
        const std::string path = runtime::JoinPath(folder, std::string(listed));
        if (IsPackageName(runtime::FindFirstMatch(path))) found = path;
        return false;
    });
    const auto cancelledOrFound = [&] { return !found.empty() || (cancelled && cancelled()); };
    const std::optional<std::uint64_t> largest =
        IsChecksumFileName(name) ? std::nullopt : std::optional<std::uint64_t>(kLargestUnnamedList);
    Stream(checksumFile, text, cancelledOrFound, largest);
    return found;
}

}  // namespace verify
