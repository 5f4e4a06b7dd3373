#include "runtime/worker_pool.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

namespace runtime {

namespace {

// Never destroyed, so that no static destructor runs under a thread still busy when the
// program ends.
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
            task = nullptr;  // what the task held goes now, on this thread
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

}  // namespace

void RunOnWorker(std::function<void()> task) {
    Pool::Instance().Run(std::move(task));
}

bool WorkersBusy() {
    return Pool::Instance().Busy();
}

}  // namespace runtime
