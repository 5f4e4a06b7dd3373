#include "window/frmMain.h"

#include <exception>
#include <memory>
#include <new>

#include "digest/clsMD5.h"
#include "runtime/error.h"
#include "runtime/files.h"
#include "runtime/remote.h"
#include "runtime/text.h"
#include "runtime/unique_resource.h"
#include "window/modPublics.h"

namespace window {

bool HasPackageSuffix(const std::string& foundName) {
    const std::u16string name = runtime::Utf8ToUtf16(foundName);
    const std::u16string last = name.size() > 7 ? name.substr(name.size() - 7) : name;
    return runtime::ToUpper(last) == u".TAR.GZ";
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
    view_.SetDigestText("");
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
        view_.SetDigestText("");
        return;
    }
    if (!HasPackageSuffix(*found)) return;
    view_.SetBusy(true);
    const runtime::ScopeGuard notBusy([this] { view_.SetBusy(false); });
    // Made here, so that provisioning fails as it always has; shared with the worker, which
    // may outlive this handler when the person gives up on it.
    const auto md5 = std::make_shared<const digest::clsMD5>();
    Job job([md5, text](Job::Control& control) {
        return md5->DigestFileToHexStr(text, [&control](std::uint64_t done, std::uint64_t total) {
            control.Report(done, total);
            return !control.CancelRequested();
        });
    });
    const std::optional<std::string> digest = Await(job);
    view_.SetDigestText(digest ? runtime::ToUpper(*digest) : "");
}

void frmMain::cmdFindFileName_Click() {
    const std::string startDir = modPublics::ReadInstallerDirectory();
    const std::string chosen = view_.BrowseForFolder("", startDir, kBrowseFlags);
    if (chosen.empty()) return;
    view_.SetFileNameText(chosen);
}

}  // namespace window
