// The main window's handlers, written once for every front end. A front end shows the
// controls, implements MainView, and calls the On... boundaries from its events; what the
// window does (during a wait too) is decided here.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "runtime/task.h"
#include "shell/modBrowseForFolder.h"
#include "verify/verdict.h"
#include "window/verdict_display.h"

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
    // A reader of the clipboard's text that may run on any thread: "" when the clipboard holds
    // none, or one longer than `limit` bytes (which it need not copy). It may block while the
    // clipboard's owner does not answer, which is why it is handed to a worker.
    virtual std::function<std::string(std::size_t limit)> ClipboardReader() = 0;
    // The verdict beside the caption, in the digest box: its colours (VerdictBackground), its mark
    // (MarkFor) named by the sentence, and its tooltip; told to assistive technology too. A verdict
    // of kNone gives the box its normal look again.
    virtual void ShowVerdict(const ShownVerdict& shown) = 0;
    // A modal box of information, owned by the window, whose text can be copied; a screen reader
    // reads it as it opens.
    virtual void ShowInformation(const std::string& title, const std::string& text) = 0;
    // Keeps the window painted and answering until the job settles: it finishes, or it is
    // cancelled (frmMain cancels it for Escape, the close box or a new name). Meanwhile the window
    // takes no input but those, and `tick` is called every few tens of ms.
    virtual void WaitFor(runtime::Job& job, const std::function<void()>& tick) = 0;
    // Closes the window once the handler now running has returned.
    virtual void CloseLater() = 0;
};

class frmMain {
public:
    static constexpr char kCaption[] = "Pellwick";
    // Folders and files, the selected item's path as status text, the new dialog style.
    static constexpr std::int32_t kBrowseFlags =
        modBrowseForFolder::kBifDontGoBelowDomain | modBrowseForFolder::kBifStatusText |
        modBrowseForFolder::kBifNewDialogStyle | modBrowseForFolder::kBifBrowseIncludeFiles;
    // How long a lookup (on a worker, since the name may be on a share whose server does not
    // answer) runs before the window waits for it as for a digest; most answer in microseconds.
    static constexpr auto kLookupGrace = std::chrono::milliseconds(50);
    // The caption's progress: nothing for the first 0.3 s nor while the size is unknown, then
    // "Pellwick – 37%" at most every 100 ms.
    static constexpr auto kQuietPeriod = std::chrono::milliseconds(300);
    static constexpr auto kCaptionInterval = std::chrono::milliseconds(100);
    // The digest box's menu entry for the verdict's details, and their box's title.
    static constexpr char kDetailsCommand[] = "Verdict details...";
    static constexpr char kDetailsTitle[] = "Verdict details";

    explicit frmMain(MainView& view) : view_(view) {}

    // Event boundaries: a failure stops here, is shown, and the window keeps running.
    void OnLoad();
    void OnFileNameChanged();
    void OnFindFileNameClicked();
    // The command line's paths after start-up (see Asked for the rest), and a file dropped on the
    // window.
    void OnArguments(const std::vector<std::string>& arguments);
    void OnFileDropped(const std::string& path);
    // The digest box's text changed, by the person or by the program.
    void OnDigestTextChanged(const std::string& text);

    // During a wait the window takes no input but these: Escape cancels the wait; the close box
    // cancels it too, and closes the window once it has ended (false: not now).
    bool Waiting() const { return running_ != nullptr; }
    void OnEscape();
    bool OnCloseAsked();

    // The verdict's details, all that the tooltip says, for the keyboard (Alt+Enter, the digest
    // box's menu) and a click on the mark: offered while a tooltip shows and no wait runs.
    bool DetailsOffered() const { return running_ == nullptr && !details_.empty(); }
    void OnDetailsAsked();

    // The handlers themselves; errors pass to the caller.
    void Form_Load();
    void txtFileName_Change();
    void cmdFindFileName_Click();
    // A package goes into the file-name box as it is, made absolute; a signature stands for the
    // file it signs. Any other file is read as a checksum file: the first package it lists beside
    // it goes there, and the file becomes a source of expected digests; false when it leads to
    // none (its path goes there then).
    bool OpenPath(const std::string& path);

    // What a command line asks for before any window opens: the window, the usage, the version.
    enum class Asked { kWindow, kUsage, kVersion };
    static Asked AskedBy(const std::vector<std::string>& arguments);
    static std::string Usage();
    static std::string Version();  // "Pellwick 1.0.0.1"

    // "Run-time error N" and the error's text, as the message box shows it.
    static std::string ErrorMessage(int number, const std::string& text);
    // What the message box says of a file handed over that will not be digested.
    static std::string NotDigested(const std::string& path);

private:
    template <typename Handler>
    void Guarded(Handler handler);
    // The task's result; nothing when the person gave up waiting for it.
    template <typename Result>
    std::optional<Result> Await(runtime::Task<Result>& task);
    // The same, once the task has run longer than kLookupGrace (with the wait cursor); most
    // finish sooner and never show the wait.
    template <typename Result>
    std::optional<Result> AwaitAfterGrace(runtime::Task<Result>& task);
    // The text's first match; nothing when the person gave up waiting for it.
    std::optional<std::string> FindFile(const std::string& text);
    void ClearDigest();
    void ClearVerdict();
    void ShowVerdict(const verify::Judgement& judgement);

    MainView& view_;
    runtime::Job* running_ = nullptr;  // the job a wait is for
    bool changedMeanwhile_ = false;    // the file name changed during that wait
    bool closeAsked_ = false;          // the close box, during that wait
    std::string namedChecksumFile_;    // the checksum file named on the command line or dropped
    std::string digestShown_;          // what the program last put in the digest box
    bool verdictShown_ = false;        // a caption, colour or tooltip of a verdict shows
    std::string details_;              // the text of the details' box; "" when there are none
};

// True when the name's last seven characters are ".tar.gz" in any letter case: no other character
// uppercases to one of ".TAR.GZ", so comparing them so is comparing them uppercased.
bool HasPackageSuffix(const std::string& foundName);

// "Pellwick – 37%": the caption with the share done, rounded down.
std::string ProgressCaption(std::uint64_t done, std::uint64_t total);

}  // namespace window
