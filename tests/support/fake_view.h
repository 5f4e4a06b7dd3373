// A window without a screen, for driving the window's handlers directly: the two boxes are
// strings, the errors shown and the browse dialogs asked for are recorded, and the dialog
// answers with a scripted result. Setting the file-name text runs the change event before it
// returns, as the real windows do. A wait for a job blocks until it finishes, unless the
// scripted `cancelWhen` says to cancel it (as Escape would); the progress captions are recorded.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "window/frmMain.h"

namespace testsupport {

class FakeView final : public window::MainView {
public:
    struct BrowseCall {
        std::string title, startDir;
        std::int32_t flags;
    };

    FakeView() : form(*this) {}
    FakeView(const FakeView&) = delete;
    FakeView& operator=(const FakeView&) = delete;

    std::string FileNameText() const override { return fileName; }
    void SetFileNameText(const std::string& text) override {
        fileName = text;
        form.OnFileNameChanged();
    }
    std::string DigestText() const override { return digest; }
    void SetDigestText(const std::string& text) override { digest = text; }
    std::string BrowseForFolder(const std::string& title, const std::string& startDir, std::int32_t flags) override {
        browseCalls.push_back({title, startDir, flags});
        return browseResult;
    }
    void ShowError(const std::string& message) override { errors.push_back(message); }
    void SetCaption(const std::string& text) override {
        caption = text;
        if (waiting_) progressCaptions.push_back(text);
    }
    std::function<std::string(std::size_t limit)> ClipboardReader() override {
        if (clipboardReader) return [read = clipboardReader](std::size_t) { return read(); };
        return [text = clipboard](std::size_t limit) { return text.size() <= limit ? text : ""; };
    }
    void ShowVerdict(const window::ShownVerdict& shown) override {
        verdict = shown.verdict;
        sentence = shown.sentence;
        detail = shown.detail;
    }
    void ShowInformation(const std::string& title, const std::string& text) override {
        information.push_back(title + ": " + text);
    }
    void CloseLater() override { ++closes; }
    void SetBusy(bool busy) override {
        busyDepth += busy ? 1 : -1;
        busyPeak = std::max(busyPeak, busyDepth);
    }

    // Escape, as far as the handlers see it, when `cancelWhen` says so.
    void WaitFor(runtime::Job& job, const std::function<void()>& tick) override {
        ++waits;
        while (!job.Cancelled() && !job.WaitFinished(std::chrono::milliseconds(5))) {
            waiting_ = true;
            tick();
            waiting_ = false;
            if (cancelWhen && cancelWhen(job)) form.OnEscape();
        }
    }

    window::frmMain form;
    std::string fileName;
    std::string digest;
    std::string caption = window::frmMain::kCaption;
    std::string clipboard;
    std::function<std::string()> clipboardReader;  // when set, read instead of `clipboard`, on the worker
    verify::Verdict verdict = verify::Verdict::kNone;
    std::string sentence;      // the verdict in words
    std::string detail;        // the digest box's tooltip
    std::string browseResult;  // what the next browse dialog answers; "" is Cancel
    std::vector<BrowseCall> browseCalls;
    std::vector<std::string> errors;
    std::vector<std::string> information;                 // "title: text" of each box of information shown
    std::function<bool(const runtime::Job&)> cancelWhen;  // polled every 5 ms of a wait; true is Escape
    std::vector<std::string> progressCaptions;
    int waits = 0;
    int closes = 0;     // CloseLater calls
    int busyDepth = 0;  // 0 whenever no handler runs: the wait cursor always goes away
    int busyPeak = 0;

private:
    bool waiting_ = false;
};

}  // namespace testsupport
