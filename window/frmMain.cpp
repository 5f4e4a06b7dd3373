#include "window/frmMain.h"

#include <exception>
#include <new>

#include "digest/clsMD5.h"
#include "runtime/error.h"
#include "runtime/files.h"
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
    Guarded([this] { txtFileName_Change(); });
}

void frmMain::OnFindFileNameClicked() {
    Guarded([this] { cmdFindFileName_Click(); });
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
        view_.SetDigestText("");
        return;
    }
    if (!HasPackageSuffix(found)) return;
    view_.SetBusy(true);
    const runtime::ScopeGuard notBusy([this] { view_.SetBusy(false); });
    const digest::clsMD5 md5;
    view_.SetDigestText(runtime::ToUpper(md5.DigestFileToHexStr(view_.FileNameText())));
}

void frmMain::cmdFindFileName_Click() {
    const std::string startDir = modPublics::ReadInstallerDirectory();
    const std::string chosen = view_.BrowseForFolder("", startDir, kBrowseFlags);
    if (chosen.empty()) return;
    view_.SetFileNameText(chosen);
}

}  // namespace window
