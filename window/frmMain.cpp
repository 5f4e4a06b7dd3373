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
#include "verify/sources.h"
#include "window/modPublics.h"

namespace window {

namespace {

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

// What a digest's worker hands back: the digests, and what the sources said they should be.
struct Outcome {
    digest::FileDigests digests;
    verify::Findings findings;
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
    // Only another program can change the name during a wait (the window drops the person's
    // input): the name wins, so the wait ends and the change is taken once it has.
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
        view_.ShowError(kUsage);
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

template <typename Result>
std::optional<Result> frmMain::Await(Task<Result>& task) {
    running_ = &task;
    const runtime::ScopeGuard notRunning([this] { running_ = nullptr; });
    Progress progress(task.Started());
    const bool finished = view_.WaitFor(task, [&] {
        if (const auto text = progress.Due(task.LatestProgress(), Job::Clock::now())) view_.SetCaption(*text);
    });
    if (progress.Shown()) view_.SetCaption(kCaption);
    if (!finished) return std::nullopt;
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
    view_.SetDigestText("");
    ClearVerdict();
}

void frmMain::ClearVerdict() {
    // Only when one shows: a keystroke that names nothing costs what it did.
    if (!verdictShown_) return;
    verdictShown_ = false;
    view_.SetCaption(kCaption);
    view_.ShowVerdict(verify::Verdict::kNone, "");
}

void frmMain::ShowVerdict(const verify::Judgement& judgement) {
    if (judgement.verdict == verify::Verdict::kNone && judgement.detail.empty()) return;
    std::string caption = kCaption;
    if (judgement.verdict != verify::Verdict::kNone) {
        const bool match = judgement.verdict == verify::Verdict::kMatch;
        caption += std::string(" \u2013 ") + (match ? "matches " : "DOES NOT MATCH ") + judgement.sources;
    }
    verdictShown_ = true;
    view_.SetCaption(caption);
    view_.ShowVerdict(judgement.verdict, judgement.detail);
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
    view_.SetDigestText("");
    ClearVerdict();
    view_.SetBusy(true);
    const runtime::ScopeGuard notBusy([this] { view_.SetBusy(false); });
    // Made here, so that provisioning fails as it always has; shared with the worker, which
    // may outlive this handler when the person gives up on it.
    const auto md5 = std::make_shared<const digest::clsMD5>();
    // The sources come first, each within a time limit (they may lie on a slow share, the
    // clipboard's owner may not answer), so that the package is read once for every digest they
    // ask for.
    const verify::SourcesRequest request{text, *found, namedChecksumFile_, view_.ClipboardReader()};
    Task<Outcome> digest([md5, request](Job::Control& control) {
        const auto cancelled = [&control] { return control.CancelRequested(); };
        Outcome outcome;
        outcome.findings = verify::ReadSources(request, verify::kSourceTimeLimit, cancelled);
        if (cancelled()) throw digest::clsMD5::Cancelled{};
        outcome.digests = md5->DigestFile(request.packagePath, verify::DigestsToCompute(outcome.findings),
                                          [&control](std::uint64_t done, std::uint64_t total) {
                                              control.Report(done, total);
                                              return !control.CancelRequested();
                                          });
        return outcome;
    });
    const std::optional<Outcome> outcome = Await(digest);
    if (!outcome) {
        ClearDigest();
        return;
    }
    view_.SetDigestText(runtime::ToUpper(outcome->digests.md5));
    ShowVerdict(verify::Judge(outcome->digests, outcome->findings));
}

void frmMain::cmdFindFileName_Click() {
    const std::string startDir = modPublics::ReadInstallerDirectory();
    const std::string chosen = view_.BrowseForFolder("", startDir, kBrowseFlags);
    if (chosen.empty()) return;
    view_.SetFileNameText(chosen);
}

bool frmMain::OpenPath(const std::string& path) {
    const std::string absolute = runtime::AbsolutePath(path);
    if (verify::IsPackageName(runtime::BareName(absolute))) {
        view_.SetFileNameText(absolute);
        return true;
    }
    // Read on a worker, as a digest is: the file may be large, or on a slow share.
    Task<std::string> reading([absolute](Job::Control& control) {
        return verify::FirstListedPackage(absolute, [&control] { return control.CancelRequested(); });
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
