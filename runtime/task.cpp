#include "runtime/task.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <utility>

#include "runtime/files.h"
#include "runtime/worker_pool.h"

namespace runtime {

struct Job::State final : Control {
    void Report(std::uint64_t doneBytes, std::uint64_t totalBytes) override {
        total.store(totalBytes, std::memory_order_relaxed);
        done.store(doneBytes, std::memory_order_relaxed);
    }
    bool Cancelled() const override { return cancelled.load(std::memory_order_relaxed); }

    std::function<void(Control&)> work;
    std::atomic<std::uint64_t> done{0}, total{0};
    std::atomic<bool> cancelled{false};
    std::atomic<bool> over{false};  // `finished`, readable without the lock

    mutable std::mutex lock;  // guards the rest
    mutable std::condition_variable finishedChanged;
    bool finished = false;
    std::exception_ptr error;
    std::function<void()> wake;
    const ReadInterrupter* interrupter = nullptr;  // while the work runs
};

namespace {

void Execute(const std::shared_ptr<Job::State>& state) {
    const ReadInterrupter interrupter;
    {
        const std::lock_guard<std::mutex> guard(state->lock);
        state->interrupter = &interrupter;
    }
    std::exception_ptr error;
    try {
        state->work(*state);
    } catch (...) {
        error = std::current_exception();
    }
    const std::lock_guard<std::mutex> guard(state->lock);
    state->interrupter = nullptr;
    state->finished = true;
    state->over.store(true, std::memory_order_release);
    state->error = error;
    state->work = nullptr;  // what the work held goes now, on this thread
    state->finishedChanged.notify_all();
    // Under the lock, so that a waiter that gives up cannot be woken after it has gone.
    if (auto wake = std::move(state->wake)) wake();
}

}  // namespace

Job::Job() : state_(std::make_shared<State>()), started_(Clock::now()) {}

void Job::Start(std::function<void(Control&)> work) {
    state_->work = std::move(work);
    RunOnWorker([state = state_] { Execute(state); });
}

Job::~Job() {
    if (!Finished()) Cancel();
}

bool Job::Finished() const {
    const std::lock_guard<std::mutex> guard(state_->lock);
    return state_->finished;
}

bool Job::WaitFinished(std::chrono::milliseconds timeout) const {
    // Most work handed off (a lookup) is done within microseconds: looking for that costs less
    // than falling asleep and being woken.
    const auto spinUntil = Clock::now() + std::min<Clock::duration>(timeout, std::chrono::microseconds(100));
    while (!state_->over.load(std::memory_order_acquire) && Clock::now() < spinUntil) {
    }
    std::unique_lock<std::mutex> guard(state_->lock);
    return state_->finishedChanged.wait_for(guard, timeout, [this] { return state_->finished; });
}

void Job::OnSettled(std::function<void()> wake) {
    const std::lock_guard<std::mutex> guard(state_->lock);
    if (state_->cancelled || state_->finished) {
        if (wake) wake();
    } else {
        state_->wake = std::move(wake);
    }
}

void Job::Cancel() {
    const std::lock_guard<std::mutex> guard(state_->lock);
    state_->cancelled = true;
    if (state_->interrupter != nullptr) state_->interrupter->Interrupt();
    // The waiter wakes now, not when the work gets round to stopping.
    if (auto wake = std::move(state_->wake)) wake();
}

bool Job::Cancelled() const {
    return state_->cancelled.load();
}

Job::Progress Job::LatestProgress() const {
    return {state_->done.load(std::memory_order_relaxed), state_->total.load(std::memory_order_relaxed)};
}

void Job::RethrowError() {
    const std::lock_guard<std::mutex> guard(state_->lock);
    if (state_->error) std::rethrow_exception(std::exchange(state_->error, nullptr));
}

}  // namespace runtime
