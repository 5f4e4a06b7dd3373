#include "runtime/process.h"

#include <condition_variable>
#include <mutex>
#include <thread>

#include "runtime/process_platform.h"

namespace runtime {

// Shared with two threads of its own: one drains the output (so that the program never waits
// for its output to be read), one ends the program at the deadline (so that a write blocked on a
// program that stopped reading comes back).
struct ChildProcess::State {
    std::unique_ptr<Platform> child;
    std::size_t limit = 0;
    std::mutex lock;
    std::condition_variable changed;
    Clock::time_point deadline;
    std::string output;
    bool drained = false, killed = false, over = false;
    std::thread drainer, watchdog;
};

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           std::size_t outputLimit, Clock::time_point deadline)
    : state_(std::make_shared<State>()) {
    state_->child = Platform::Start(program, arguments);
    state_->limit = outputLimit;
    state_->deadline = deadline;
    state_->drainer = std::thread([state = state_] {
        char buffer[4096];
        for (std::size_t n; (n = state->child->Read(buffer, sizeof buffer)) > 0;) {
            const std::lock_guard<std::mutex> guard(state->lock);
            state->output.append(buffer, std::min(n, state->limit - std::min(state->limit, state->output.size())));
        }
        const std::lock_guard<std::mutex> guard(state->lock);
        state->drained = true;
        state->changed.notify_all();
    });
    state_->watchdog = std::thread([state = state_] {
        std::unique_lock<std::mutex> guard(state->lock);
        while (!state->over && !state->drained) {
            if (state->changed.wait_until(guard, state->deadline) == std::cv_status::timeout &&
                Clock::now() >= state->deadline && !state->drained) {
                state->killed = true;
                state->child->Kill();
                break;
            }
        }
    });
}

ChildProcess::~ChildProcess() {
    {
        const std::lock_guard<std::mutex> guard(state_->lock);
        if (!state_->drained) {
            state_->killed = true;
            state_->child->Kill();
        }
        state_->over = true;
        state_->changed.notify_all();
    }
    state_->child->CloseInput();
    state_->drainer.join();
    state_->watchdog.join();
    state_->child->Wait();
}

bool ChildProcess::Write(std::span<const unsigned char> bytes) {
    return state_->child->Write(bytes);
}

std::optional<std::string> ChildProcess::Finish(Clock::time_point deadline) {
    state_->child->CloseInput();
    std::unique_lock<std::mutex> guard(state_->lock);
    state_->deadline = deadline;
    state_->changed.notify_all();
    state_->changed.wait(guard, [this] { return state_->drained; });
    if (state_->killed) return std::nullopt;
    return state_->output;
}

}  // namespace runtime
