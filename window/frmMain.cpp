#include "window/frmMain.h"

#include <exception>
#include <new>

#include "digest/clsMD5.h"
#include "runtime/error.h"
#include "runtime/files.h"
#include "runtime/paths.h"
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
    Guarded([this] { txtFileName_Change(); });
}

void frmMain::OnFindFileNameClicked() {
    Guarded([this] { cmdFindFileName_Click(); });
}

void frmMain::OnArguments(const std::vector<std::string>& arguments) {
    if (arguments.size() > 1) {
        view_.ShowError(kUsage);
    } else if (arguments.size() == 1) {
        Guarded([&] { OpenPath(arguments[0]); });
    }
}

void frmMain::OnFileDropped(const std::string& path) {
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
    const std::string found = runtime::FindFirstMatch(view_.FileNameText());
    if (found.empty()) {
        ClearDigest();
        return;
    }
    if (!HasPackageSuffix(found)) return;  // the digest shown keeps its verdict
    view_.SetBusy(true);
    const runtime::ScopeGuard notBusy([this] { view_.SetBusy(false); });
    const digest::clsMD5 md5;
    const std::string digest = runtime::ToUpper(md5.DigestFileToHexStr(view_.FileNameText()));
    view_.SetDigestText(digest);
    ShowVerdict(digest, found, verify::ExpectedFromFiles(view_.FileNameText(), found, namedChecksumFile_));
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
