#include "window/frmMain.h"

#include <exception>
#include <memory>
#include <new>

#include "digest/clsMD5.h"
#include "runtime/error.h"
#include "runtime/files.h"
#include "runtime/paths.h"
#include "runtime/remote.h"
#include "runtime/text.h"
#include "runtime/unique_resource.h"
#include "verify/checksum_files.h"
#include "window/modPublics.h"

namespace window {

bool HasPackageSuffix(const std::string& foundName) {
    return verify::IsPackageName(foundName);
}

std::string frmMain::ErrorMessage(int number, const std::string& text) {
    return "Run-time error " + std::to_string(number) + ":\n\n" + text;
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

std::optional<std::string> frmMain::Await(Job& job) {
    running_ = &job;
    const runtime::ScopeGuard notRunning([this] { running_ = nullptr; });
    const bool finished = view_.WaitFor(job);
    if (job.CaptionChanged()) view_.SetCaption(kCaption);
    if (!finished) return std::nullopt;
    return job.TakeResult();
}

std::optional<std::string> frmMain::FindFile(const std::string& text) {
    // Handing every keystroke to a thread would cost more than most lookups take.
    if (!runtime::MayWaitOnNetwork(text)) return runtime::FindFirstMatch(text);
    Job lookup([text](Job::Control&) { return runtime::FindFirstMatchRemote(text); });
    if (lookup.WaitFinished(kLookupGrace)) return lookup.TakeResult();
    view_.SetBusy(true);
    const runtime::ScopeGuard notBusy([this] { view_.SetBusy(false); });
    return Await(lookup);
}

void frmMain::OnArguments(const std::vector<std::string>& arguments) {
    if (arguments.size() > 1) {
        view_.ShowError(kUsage);
    } else if (arguments.size() == 1) {
        Guarded([&] { OpenPath(arguments[0]); });
    }
}

void frmMain::OnFileDropped(const std::string& path) {
    if (running_ != nullptr) return;
    Guarded([&] { OpenPath(path); });
}

void frmMain::ClearDigest() {
    view_.SetDigestText("");
    // Only when one shows: a keystroke that names nothing costs what it did.
    if (!verdictShown_) return;
    verdictShown_ = false;
    view_.SetCaption(kCaption);
    view_.ShowVerdict(verify::Verdict::kNone, "");
}

void frmMain::ShowVerdict(const std::string& digest, const std::string& packageName,
                          std::vector<verify::Expectation> expected) {
    const auto clipboard = verify::ExpectedFromClipboard(view_.ClipboardText(verify::kClipboardLimit), packageName);
    expected.insert(expected.end(), clipboard.begin(), clipboard.end());
    const verify::Judgement judgement = verify::Judge(digest, expected);
    std::string caption = kCaption;
    if (judgement.verdict != verify::Verdict::kNone) {
        const bool match = judgement.verdict == verify::Verdict::kMatch;
        caption += std::string(" \u2013 ") + (match ? "matches " : "DOES NOT MATCH ") + judgement.sources;
    }
    if (judgement.verdict == verify::Verdict::kNone && !verdictShown_) return;
    verdictShown_ = judgement.verdict != verify::Verdict::kNone;
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
    view_.SetBusy(true);
    const runtime::ScopeGuard notBusy([this] { view_.SetBusy(false); });
    // Made here, so that provisioning fails as it always has; shared with the worker, which
    // may outlive this handler when the person gives up on it.
    const auto md5 = std::make_shared<const digest::clsMD5>();
    // The checksum files beside the package are read on the worker too: they may lie on the
    // same slow share. The worker writes them before it finishes; they are read only after.
    const auto expected = std::make_shared<std::vector<verify::Expectation>>();
    Job job([md5, expected, text, name = *found, named = namedChecksumFile_](Job::Control& control) {
        std::string digest = md5->DigestFileToHexStr(text, [&control](std::uint64_t done, std::uint64_t total) {
            control.Report(done, total);
            return !control.CancelRequested();
        });
        if (!control.CancelRequested()) *expected = verify::ExpectedFromFiles(text, name, named);
        return digest;
    });
    const std::optional<std::string> digest = Await(job);
    if (!digest) {
        ClearDigest();
        return;
    }
    const std::string upper = runtime::ToUpper(*digest);
    view_.SetDigestText(upper);
    ShowVerdict(upper, *found, std::move(*expected));
}

void frmMain::cmdFindFileName_Click() {
    const std::string startDir = modPublics::ReadInstallerDirectory();
    const std::string chosen = view_.BrowseForFolder("", startDir, kBrowseFlags);
    if (chosen.empty()) return;
    view_.SetFileNameText(chosen);
}

void frmMain::OpenPath(const std::string& path) {
    const std::string absolute = runtime::AbsolutePath(path);
    if (!verify::IsChecksumFileName(runtime::BareName(absolute))) {
        view_.SetFileNameText(absolute);
        return;
    }
    namedChecksumFile_ = absolute;
    const std::string package = verify::FirstListedPackage(absolute);
    view_.SetFileNameText(package.empty() ? absolute : package);
}

}  // namespace window
