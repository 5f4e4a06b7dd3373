#include "window/job.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

#include "runtime/files.h"
#include "window/frmMain.h"

namespace window {

struct Job::State final : Control {
    void Report(std::uint64_t doneBytes, std::uint64_t totalBytes) override {
        total.store(totalBytes, std::memory_order_relaxed);
        done.store(doneBytes, std::memory_order_relaxed);
    }
    bool CancelRequested() const override { return cancelled.load(std::memory_order_relaxed); }

    Work work;
    std::atomic<std::uint64_t> done{0}, total{0};
    std::atomic<bool> cancelled{false};

    mutable std::mutex lock;  // guards the rest
    mutable std::condition_variable finishedChanged;
    bool finished = false;
    std::string result;
    std::exception_ptr error;
    std::function<void()> wake;
    const runtime::ReadInterrupter* interrupter = nullptr;  // while the work runs
};

namespace {

// Threads that wait for work and are kept for the next job: a thread hand-off costs tens of
// microseconds, a new thread more. A worker stuck in a read that never returns is simply never
// idle again. Never destroyed, so that no static destructor runs under a worker still busy
// when the program ends.
class Pool {
public:
    static Pool& Instance() {
        static Pool* pool = new Pool;
        return *pool;
    }

    void Run(std::function<void()> task) {
        const std::lock_guard<std::mutex> guard(lock_);
        ++busy_;
        if (idle_ > 0) {
            --idle_;
            queue_.push_back(std::move(task));
            queued_.notify_one();
            return;
        }
        std::thread([this, first = std::move(task)]() mutable { Serve(std::move(first)); }).detach();
    }

    bool Busy() {
        const std::lock_guard<std::mutex> guard(lock_);
        return busy_ > 0;
    }

private:
    void Serve(std::function<void()> task) {
        for (;;) {
            task();
            task = nullptr;
            std::unique_lock<std::mutex> guard(lock_);
            --busy_;
            ++idle_;
            queued_.wait(guard, [this] { return !queue_.empty(); });
            task = std::move(queue_.front());
            queue_.pop_front();
        }
    }

    std::mutex lock_;
    std::condition_variable queued_;
    std::deque<std::function<void()>> queue_;
    int idle_ = 0;
    int busy_ = 0;
};

void Execute(const std::shared_ptr<Job::State>& state) {
    const runtime::ReadInterrupter interrupter;
    {
        const std::lock_guard<std::mutex> guard(state->lock);
        state->interrupter = &interrupter;
    }
    std::string result;
    std::exception_ptr error;
    try {
        result = state->work(*state);
    } catch (...) {
        error = std::current_exception();
    }
    std::function<void()> wake;
    {
        const std::lock_guard<std::mutex> guard(state->lock);
        state->interrupter = nullptr;
        state->finished = true;
        state->result = std::move(result);
        state->error = error;
        state->work = nullptr;  // what the work held goes now, on this thread
        wake = std::move(state->wake);
        state->finishedChanged.notify_all();
        // Under the lock, so that a waiter that gives up cannot be woken after it has gone.
        if (wake) wake();
    }
}

}  // namespace

std::string ProgressCaption(std::uint64_t done, std::uint64_t total) {
    // In two parts, so that no product overflows for any size a file can have.
    const std::uint64_t percent = total == 0      ? 0
                                  : done >= total ? 100
                                                  : (done / total) * 100 + (done % total) * 100 / total;
    return std::string(frmMain::kCaption) + " \u2013 " + std::to_string(percent) + "%";
}

Job::Job(Work work) : state_(std::make_shared<State>()), started_(Clock::now()) {
    state_->work = std::move(work);
    Pool::Instance().Run([state = state_] { Execute(state); });
}

Job::~Job() {
    if (!Finished()) Cancel();
}

bool Job::Finished() const {
    const std::lock_guard<std::mutex> guard(state_->lock);
    return state_->finished;
}

bool Job::WaitFinished(std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> guard(state_->lock);
    return state_->finishedChanged.wait_for(guard, timeout, [this] { return state_->finished; });
}

void Job::OnFinished(std::function<void()> wake) {
    const std::lock_guard<std::mutex> guard(state_->lock);
    if (state_->cancelled) return;
    if (state_->finished) {
        wake();
    } else {
        state_->wake = std::move(wake);
    }
}

void Job::Cancel() {
    const std::lock_guard<std::mutex> guard(state_->lock);
    state_->cancelled = true;
    state_->wake = nullptr;
    if (state_->interrupter != nullptr) state_->interrupter->Interrupt();
}

bool Job::Cancelled() const {
    return state_->cancelled.load();
}

std::string Job::TakeResult() {
    const std::lock_guard<std::mutex> guard(state_->lock);
    if (state_->error) std::rethrow_exception(std::exchange(state_->error, nullptr));
    return std::move(state_->result);
}

std::optional<std::string> Job::CaptionDue(Clock::time_point now) {
    const std::uint64_t total = state_->total.load(std::memory_order_relaxed);
    if (now - started_ < kQuietPeriod || total == 0) return std::nullopt;
    if (!caption_.empty() && now - captionAt_ < kCaptionInterval) return std::nullopt;
    std::string text = ProgressCaption(state_->done.load(std::memory_order_relaxed), total);
    if (text == caption_) return std::nullopt;
    captionAt_ = now;
    caption_ = text;
    return text;
}

bool Job::WorkersBusy() {
    return Pool::Instance().Busy();
}

}  // namespace window
