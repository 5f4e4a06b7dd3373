// Work that the window hands to a worker thread so that it can keep answering while the work
// runs: its progress, its cancellation, its result or its error handed back to the GUI thread,
// and what the caption says meanwhile.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace window {

class Job {
public:
    using Clock = std::chrono::steady_clock;

    // What the work sees of its job, on the worker thread.
    class Control {
    public:
        virtual ~Control() = default;
        virtual void Report(std::uint64_t done, std::uint64_t total) = 0;
        virtual bool CancelRequested() const = 0;
    };
    using Work = std::function<std::string(Control&)>;

    // Starts the work on a worker thread at once. The work owns what it touches (it may
    // outlive this object when abandoned), and its result is discarded once cancelled.
    explicit Job(Work work);
    // Abandons the work if it still runs: it is asked to stop, and nobody waits for it.
    ~Job();
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;

    bool Finished() const;
    // Blocks for up to `timeout`; true once the work has finished.
    bool WaitFinished(std::chrono::milliseconds timeout) const;
    // `wake` is called once, from the worker thread, when the work finishes (at once when it
    // already has); never after the job is cancelled or destroyed.
    void OnFinished(std::function<void()> wake);

    // Asks the work to stop and interrupts its blocking read where the platform can. The
    // waiting window returns at once; the work's result, when it comes, is discarded.
    void Cancel();
    bool Cancelled() const;

    // The result, or the work's exception rethrown, once finished.
    std::string TakeResult();

    // The caption's progress text when it is due to change, else nothing: nothing for the
    // first 0.3 s nor while the size is unknown, then "Pellwick – 37%" at most every 100 ms.
    std::optional<std::string> CaptionDue(Clock::time_point now);
    // True when CaptionDue ever gave a text, so that the caption must be put back.
    bool CaptionChanged() const { return !caption_.empty(); }

    static constexpr auto kQuietPeriod = std::chrono::milliseconds(300);
    static constexpr auto kCaptionInterval = std::chrono::milliseconds(100);

    // True while some worker still runs a job, abandoned or not: the program's end must then
    // not run static destructors under it.
    static bool WorkersBusy();

    struct State;

private:
    std::shared_ptr<State> state_;
    Clock::time_point started_;
    Clock::time_point captionAt_{};
    std::string caption_;
};

// "Pellwick – 37%": the caption with the share done, rounded down.
std::string ProgressCaption(std::uint64_t done, std::uint64_t total);

}  // namespace window
