#include "window/frmMain.h"

#include <exception>
#include <memory>
#include <new>

#include "digest/clsMD5.h"
#include "runtime/error.h"
#include "runtime/files.h"
#include "runtime/paths.h"
#include "runtime/text.h"
#include "runtime/unique_resource.h"
#include "verify/checksum_files.h"
#include "verify/signature.h"
#include "verify/sources.h"
#include "window/check_package.h"
#include "window/modPublics.h"

namespace window {

namespace {

using runtime::Job;
using runtime::Task;

// What the caption says while the window waits for a job.
class Progress {
public:
    explicit Progress(Job::Clock::time_point started) : started_(started) {}

    std::optional<std::string> Due(const Job::Progress& progress, Job::Clock::time_point now) {
        if (now - started_ < frmMain::kQuietPeriod || progress.total == 0) return std::nullopt;
        if (!shown_.empty() && now - shownAt_ < frmMain::kCaptionInterval) return std::nullopt;
        std::string text = ProgressCaption(progress.done, progress.total);
        if (text == shown_) return std::nullopt;
        shownAt_ = now;
        shown_ = text;
        return text;
    }
    // True when a progress caption was shown, so that the caption must be put back.
    bool Shown() const { return !shown_.empty(); }

private:
    Job::Clock::time_point started_, shownAt_{};
    std::string shown_;
};

}  // namespace

bool HasPackageSuffix(const std::string& foundName) {
    return verify::IsPackageName(foundName);
}

std::string ProgressCaption(std::uint64_t done, std::uint64_t total) {
    // In two parts, so that no product overflows for any size a file can have.
    const std::uint64_t percent = total == 0      ? 0
                                  : done >= total ? 100
                                                  : (done / total) * 100 + (done % total) * 100 / total;
    return std::string(frmMain::kCaption) + " \u2013 " + std::to_string(percent) + "%";
}

frmMain::Asked frmMain::AskedBy(const std::vector<std::string>& arguments) {
    if (arguments.empty()) return Asked::kWindow;
    const std::string& first = arguments[0];
    if (first == "--help" || first == "-h" || first == "/?") return Asked::kUsage;
    if (first == "--version") return Asked::kVersion;
    return Asked::kWindow;
}

std::string frmMain::Usage() {
    return "Usage: Pellwick [PATH]\n\nPATH is a package (.tar.gz) to digest, or a checksum file that lists one "
           "beside it (NAME.sha256, SHA256SUMS, MD5SUMS, a .dsc...), whose package to check. Pellwick takes one "
           "PATH at most.\n\n  -h, --help, /?   show this text\n  --version        show Pellwick's version";
}

std::string frmMain::Version() {
    return std::string(kCaption) + " " PELLWICK_VERSION;
}

std::string frmMain::ErrorMessage(int number, const std::string& text) {
    return "Run-time error " + std::to_string(number) + ":\n\n" + text;
}

std::string frmMain::NotDigested(const std::string& path) {
    return "Pellwick does not digest " + runtime::Quoted(runtime::Visible(path)) +
           ": it is neither a .tar.gz package nor a checksum file that lists one beside it.\n\nPellwick digests "
           ".tar.gz packages, and checks them against the checksum files their publishers give (NAME.sha256, "
           "SHA256SUMS, MD5SUMS, a .dsc...).";
}

template <typename Handler>
void frmMain::Guarded(Handler handler) {
    std::string message;
    try {
        handler();
        return;
    } catch (const runtime::Error& e) {
        message = ErrorMessage(e.number(), e.text());
    } catch (const std::bad_alloc&) {
        message = ErrorMessage(runtime::kOutOfMemory, "Out of memory");
    } catch (const std::exception& e) {
        message = ErrorMessage(runtime::kPathFileAccessError, e.what());
    }
    // A digest shown beside a name it no longer belongs to would mislead.
    ClearDigest();
    view_.ShowError(message);
}

void frmMain::OnLoad() {
    Guarded([this] { Form_Load(); });
}

void frmMain::OnFileNameChanged() {
    // The window drops the person's input during a wait, but another program (a screen reader
    // setting the text, say) may change the name: the name wins, so the wait ends and the change
    // is taken once it has.
    if (running_ != nullptr) {
        changedMeanwhile_ = true;
        running_->Cancel();
        return;
    }
    do {
        changedMeanwhile_ = false;
        Guarded([this] { txtFileName_Change(); });
    } while (changedMeanwhile_);
}

void frmMain::OnFindFileNameClicked() {
    if (running_ != nullptr) return;
    Guarded([this] { cmdFindFileName_Click(); });
}

void frmMain::OnArguments(const std::vector<std::string>& arguments) {
    if (arguments.size() > 1) {
        view_.ShowError(Usage());
    } else if (arguments.size() == 1) {
        Guarded([&] {
            // "Open with" may hand over any file: say what becomes of one that is not digested.
            if (!OpenPath(arguments[0])) view_.ShowError(NotDigested(runtime::AbsolutePath(arguments[0])));
        });
    }
}

void frmMain::OnFileDropped(const std::string& path) {
    if (running_ != nullptr) return;
    Guarded([&] { OpenPath(path); });
}

void frmMain::OnDigestTextChanged(const std::string& text) {
    // The verdict was about the digest the program showed, not about what the person typed there.
    if (text != digestShown_) ClearVerdict();
}

void frmMain::OnEscape() {
    if (running_ != nullptr) running_->Cancel();
}

void frmMain::OnDetailsAsked() {
    if (DetailsOffered()) view_.ShowInformation(kDetailsTitle, details_);
}

bool frmMain::OnCloseAsked() {
    if (running_ == nullptr) return true;
    // The handler that waits must return before the window may go.
    closeAsked_ = true;
    running_->Cancel();
    return false;
}

template <typename Result>
std::optional<Result> frmMain::Await(Task<Result>& task) {
    running_ = &task;
    const runtime::ScopeGuard notRunning([this] { running_ = nullptr; });
    Progress progress(task.Started());
    view_.WaitFor(task, [&] {
        if (const auto text = progress.Due(task.LatestProgress(), Job::Clock::now())) view_.SetCaption(*text);
    });
    if (progress.Shown()) view_.SetCaption(kCaption);
    if (std::exchange(closeAsked_, false)) view_.CloseLater();
    if (task.Cancelled() || !task.Finished()) {
        task.Cancel();  // the window is going without it
        return std::nullopt;
    }
    return task.TakeResult();
}

template <typename Result>
std::optional<Result> frmMain::AwaitAfterGrace(Task<Result>& task) {
    if (task.WaitFinished(kLookupGrace)) return task.TakeResult();
    view_.SetBusy(true);
    const runtime::ScopeGuard notBusy([this] { view_.SetBusy(false); });
    return Await(task);
}

std::optional<std::string> frmMain::FindFile(const std::string& text) {
    // Any name may lie on a share whose server does not answer; most lookups end long before
    // the grace does, and never show the wait.
    Task<std::string> lookup([text](Job::Control&) { return runtime::FindFirstMatch(text); });
    return AwaitAfterGrace(lookup);
}

void frmMain::ClearDigest() {
    digestShown_.clear();
    view_.SetDigestText("");
    ClearVerdict();
}

void frmMain::ClearVerdict() {
    // Only when one shows: a keystroke that names nothing costs what it did.
    if (!verdictShown_) return;
    verdictShown_ = false;
    details_.clear();
    view_.SetCaption(kCaption);
    view_.ShowVerdict({});
}

void frmMain::ShowVerdict(const verify::Judgement& judgement) {
    if (judgement.verdict == verify::Verdict::kNone && judgement.detail.empty()) return;
    ShownVerdict shown{judgement.verdict, "", judgement.detail};
    std::string caption = kCaption;
    if (judgement.verdict != verify::Verdict::kNone) {
        const bool match = judgement.verdict == verify::Verdict::kMatch;
        caption += std::string(" \u2013 ") + (match ? "matches " : "DOES NOT MATCH ") + judgement.sources;
        shown.sentence =
            std::string("The package ") + (match ? "matches " : "DOES NOT MATCH ") + judgement.sources + ".";
    }
    verdictShown_ = true;
    // The sentence first, as the box is read aloud, then the tooltip's lines.
    details_ = shown.sentence.empty() || shown.detail.empty() ? shown.sentence + shown.detail
                                                              : shown.sentence + "\n\n" + shown.detail;
    view_.SetCaption(caption);
    view_.ShowVerdict(shown);
}

void frmMain::Form_Load() {
    view_.SetFileNameText("");
    view_.SetDigestText("");
    modPublics::mDefaultDir = modPublics::ReadInstallerDirectory();
    view_.SetFileNameText(modPublics::mDefaultDir);
}

void frmMain::txtFileName_Change() {
    const std::string text = view_.FileNameText();
    const std::optional<std::string> found = FindFile(text);
    if (!found || found->empty()) {
        ClearDigest();
        return;
    }
    if (!HasPackageSuffix(*found)) return;  // the digest shown keeps its verdict
    // Nothing of the file named before stays beside this name while its digest is made.
    ClearDigest();
    view_.SetBusy(true);
    const runtime::ScopeGuard notBusy([this] { view_.SetBusy(false); });
    // Made here, so that provisioning fails as it always has; shared with the worker, which
    // may outlive this handler when the person gives up on it.
    const auto md5 = std::make_shared<const digest::clsMD5>();
    // Checked on a worker (check_package.h): the sources within their time, then one read.
    verify::SourcesRequest request{text, *found, namedChecksumFile_, view_.ClipboardReader(), {}};
    Task<verify::Judgement> digest([md5, request](Job::Control& control) mutable {
        // The person's keyrings may be on a share too: looked for here, on the worker.
        request.verifier = verify::PersonsVerifier();
        return CheckPackage(*md5, request, control);
    });
    const std::optional<verify::Judgement> judgement = Await(digest);
    if (!judgement) return;
    digestShown_ = judgement->digest;
    view_.SetDigestText(judgement->digest);
    ShowVerdict(*judgement);
}

void frmMain::cmdFindFileName_Click() {
    const std::string startDir = modPublics::ReadInstallerDirectory();
    const std::string chosen = view_.BrowseForFolder("", startDir, kBrowseFlags);
    if (chosen.empty()) return;
    view_.SetFileNameText(chosen);
}

bool frmMain::OpenPath(const std::string& path) {
    std::string absolute = runtime::AbsolutePath(path);
    // A signature stands for the file it signs beside it: a package, or a list of them.
    if (const auto signedFile = verify::SignedFileOf(absolute)) absolute = *signedFile;
    if (verify::IsPackageName(runtime::BareName(absolute))) {
        view_.SetFileNameText(absolute);
        return true;
    }
    // Read on a worker, as a digest is: the file may be large, or on a slow share.
    Task<std::string> reading([absolute](Job::Control& control) {
        return verify::FirstListedPackage(absolute, [&control] { return control.Cancelled(); });
    });
    const std::optional<std::string> package = AwaitAfterGrace(reading);
    if (!package) return true;  // the person gave up on it: nothing more to say
    if (package->empty()) {
        view_.SetFileNameText(absolute);
        return false;
    }
    namedChecksumFile_ = absolute;
    view_.SetFileNameText(*package);
    return true;
}

}  // namespace window
