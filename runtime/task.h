// Work handed to a worker thread, so that whoever handed it over can keep answering while it
// runs: its progress, its cancellation, and its result or its error handed back once. The one
// way the program hands work to a worker: the window's lookups and digests, and the reading of
// each source of expected digests.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace runtime {

// What a waiter needs of a job: whether it has finished, a way to wake when it settles, and a
// way to cancel it. The result comes from the typed Task.
class Job {
public:
    using Clock = std::chrono::steady_clock;

    // What the work sees of its job, on the worker thread.
    class Control {
    public:
        virtual ~Control() = default;
        virtual void Report(std::uint64_t done, std::uint64_t total) = 0;
        virtual bool Cancelled() const = 0;
    };

    struct Progress {
        std::uint64_t done = 0, total = 0;  // bytes; a total of 0 is not known yet
    };

    // Cancels the work if it still runs: nobody waits for it.
    virtual ~Job();
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;

    bool Finished() const;
    // Blocks for up to `timeout`; true once the work has finished.
    bool WaitFinished(std::chrono::milliseconds timeout) const;
    // `wake` is called once, when the work finishes (from the worker thread) or the job is
    // cancelled (from the cancelling thread), at once when either has happened already; never
    // after the job is destroyed, nor once another (or null, to stop waiting) replaces it.
    void OnSettled(std::function<void()> wake);

    // Asks the work to stop and interrupts its blocking read where the platform can. A waiter
    // is woken at once; the work's result, when it comes, is discarded.
    void Cancel();
    bool Cancelled() const;

    Progress LatestProgress() const;
    Clock::time_point Started() const { return started_; }

    struct State;

protected:
    Job();
    // Starts the work on a worker thread at once. The work owns what it touches: it may outlive
    // this object when cancelled.
    void Start(std::function<void(Control&)> work);
    // Rethrows the work's exception, once finished.
    void RethrowError();

private:
    std::shared_ptr<State> state_;
    Clock::time_point started_;
};

// A job whose work returns a Result.
template <typename Result>
class Task final : public Job {
public:
    explicit Task(std::function<Result(Control&)> work) : slot_(std::make_shared<std::optional<Result>>()) {
        Start([work = std::move(work), slot = slot_](Control& control) { slot->emplace(work(control)); });
    }

    // The result, or the work's exception rethrown, once finished.
    Result TakeResult() {
        RethrowError();
        return std::move(**slot_);
    }

private:
    std::shared_ptr<std::optional<Result>> slot_;  // written by the worker before it finishes
};

}  // namespace runtime
