// The main window's handlers, written once for every front end. A front end shows the
// controls, implements MainView, and calls the On... boundaries from its events.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "shell/modBrowseForFolder.h"
#include "window/job.h"

namespace window {

// What the handlers need of the window. Assigning the file-name text must run the change
// event (and so frmMain::OnFileNameChanged) before the assignment returns.
class MainView {
public:
    virtual ~MainView() = default;
    virtual std::string FileNameText() const = 0;
    virtual void SetFileNameText(const std::string& text) = 0;
    virtual std::string DigestText() const = 0;
    virtual void SetDigestText(const std::string& text) = 0;
    // The platform's modal browse dialog, owned by this window: the chosen item's full path,
    // or "" when the person cancelled.
    virtual std::string BrowseForFolder(const std::string& title, const std::string& startDir, std::int32_t flags) = 0;
    virtual void ShowError(const std::string& message) = 0;  // modal, owned by the window
    virtual void SetBusy(bool busy) = 0;                     // the wait cursor while a digest runs
    virtual void SetCaption(const std::string& text) = 0;    // the window's title
    // Keeps the window painted and answering until the job finishes (true) or the person
    // cancels it with Escape or the close box (false, at once, without waiting for the work).
    // Meanwhile the window takes no other input, and the caption shows the job's CaptionDue.
    virtual bool WaitFor(Job& job) = 0;
};

class frmMain {
public:
    static constexpr char kCaption[] = "Pellwick";
    // Folders and files, the selected item's path as status text, the new dialog style.
    static constexpr std::int32_t kBrowseFlags =
        modBrowseForFolder::kBifDontGoBelowDomain | modBrowseForFolder::kBifStatusText |
        modBrowseForFolder::kBifNewDialogStyle | modBrowseForFolder::kBifBrowseIncludeFiles;
    // How long a lookup that may wait on a server runs before the window waits for it as for a
    // digest; a lookup that answers sooner costs no more than that.
    static constexpr auto kLookupGrace = std::chrono::milliseconds(50);

    explicit frmMain(MainView& view) : view_(view) {}

    // Event boundaries: a failure stops here, is shown, and the window keeps running.
    void OnLoad();
    void OnFileNameChanged();
    void OnFindFileNameClicked();

    // The handlers themselves; errors pass to the caller.
    void Form_Load();
    void txtFileName_Change();
    void cmdFindFileName_Click();

    // "Run-time error N" and the error's text, as the message box shows it.
    static std::string ErrorMessage(int number, const std::string& text);

private:
    template <typename Handler>
    void Guarded(Handler handler);
    // The text's first match; nothing when the person gave up waiting for it.
    std::optional<std::string> FindFile(const std::string& text);
    // The job's result; nothing when it was cancelled.
    std::optional<std::string> Await(Job& job);

    MainView& view_;
    Job* running_ = nullptr;         // the job a wait is for
    bool changedMeanwhile_ = false;  // the file name changed during that wait
};

// True when the last seven characters of the name, uppercased, are ".TAR.GZ".
bool HasPackageSuffix(const std::string& foundName);

}  // namespace window
