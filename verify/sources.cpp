#include "verify/sources.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>

#include "runtime/task.h"
#include "verify/source_kinds.h"

namespace verify {

namespace {

// The kinds of sources, in the order the caption names them.
const SourceKind* const kSourceKinds[] = {&kNamedFileSource, &kFilesBesideSource, &kClipboardSource,
                                          &kPackageSignatureSource};

using Clock = std::chrono::steady_clock;

// Wakes the one who waits for several tasks whenever one of them settles. Made before the tasks
// it watches and gone after them: a task wakes nobody once destroyed.
class Settling {
public:
    void Watch(runtime::Job& job) {
        job.OnSettled([this] {
            const std::lock_guard<std::mutex> guard(lock_);
            ++settled_;
            changed_.notify_all();
        });
    }
    std::uint64_t Count() {
        const std::lock_guard<std::mutex> guard(lock_);
        return settled_;
    }
    // Until a task settles after `seen` were, or the time.
    void WaitUntil(Clock::time_point until, std::uint64_t seen) {
        std::unique_lock<std::mutex> guard(lock_);
        changed_.wait_until(guard, until, [&] { return settled_ != seen; });
    }

private:
    std::mutex lock_;
    std::condition_variable changed_;
    std::uint64_t settled_ = 0;
};

// "1", "0.5": the limit as the tooltip says it.
std::string Seconds(std::chrono::milliseconds limit) {
    char text[32];
    const int n = std::snprintf(text, sizeof text, "%g", static_cast<double>(limit.count()) / 1000);
    return std::string(text, n > 0 ? static_cast<std::size_t>(n) : 0);
}

// A task with the time it is waited for until.
template <typename Result>
struct Timed {
    std::string label;
    std::unique_ptr<runtime::Task<Result>> task;
    Clock::time_point deadline;

    bool Open(Clock::time_point now) const { return !task->Finished() && now < deadline; }
};

template <typename Result>
Timed<Result> Start(Settling& settling, std::chrono::milliseconds limit, std::string label,
                    std::function<Result(runtime::Job::Control&)> work) {
    Timed<Result> timed{std::move(label), std::make_unique<runtime::Task<Result>>(std::move(work)),
                        Clock::now() + limit};
    settling.Watch(*timed.task);
    return timed;
}

// The task's result; what it threw is said as the reason it gave nothing.
template <typename Result>
Result ResultOf(Timed<Result>& timed, std::vector<std::string>& problems) {
    try {
        return timed.task->TakeResult();
    } catch (const std::exception& e) {
        problems.push_back(timed.label.substr(0, timed.label.find(':')) + ": " + e.what());
        return {};
    }
}

}  // namespace

std::vector<Source> ReadSources(const SourcesRequest& request, std::chrono::milliseconds limit,
                                const Cancelled& cancelled) {
    Settling settling;
    std::vector<std::string> problems;
    struct Kind {
        Timed<std::vector<SourceReader>> finding;
        std::vector<Timed<std::optional<Source>>> reading;
        bool found = false;
    };
    std::vector<Kind> kinds;
    for (const SourceKind* kind : kSourceKinds) {
        kinds.push_back({Start<std::vector<SourceReader>>(
                             settling, limit,
                             "Passed over " + kind->place(request) + ": not looked at within " + Seconds(limit) + " s",
                             [kind, request](runtime::Job::Control&) { return kind->find(request); }),
                         {},
                         false});
    }
    // Each source read as soon as its kind has found it; until every task has settled or is passed over.
    for (;;) {
        const std::uint64_t seen = settling.Count();
        if (cancelled && cancelled()) return {};
        const Clock::time_point now = Clock::now();
        // A cancellation is looked for every 20 ms.
        Clock::time_point until = now + std::chrono::milliseconds(20);
        bool open = false;
        for (Kind& kind : kinds) {
            if (!kind.found && kind.finding.task->Finished()) {
                kind.found = true;
                for (SourceReader& reader : ResultOf(kind.finding, problems)) {
                    kind.reading.push_back(Start<std::optional<Source>>(
                        settling, limit, "Passed over " + reader.label + ": not read within " + Seconds(limit) + " s",
                        [read = std::move(reader.read)](runtime::Job::Control& control) {
                            return read([&control] { return control.Cancelled(); });
                        }));
                }
            }
            if (kind.finding.Open(now)) {
                open = true;
                until = std::min(until, kind.finding.deadline);
            }
            for (const auto& reading : kind.reading) {
                if (!reading.Open(now)) continue;
                open = true;
                until = std::min(until, reading.deadline);
            }
        }
        if (!open) break;
        settling.WaitUntil(until, seen);
    }
    std::vector<Source> sources;
    const auto passedOver = [&](const std::string& note) { sources.push_back(Source::PassedOver(note)); };
    for (Kind& kind : kinds) {
        if (!kind.found) passedOver(kind.finding.label);
        for (auto& reading : kind.reading) {
            if (!reading.task->Finished()) {
                passedOver(reading.label);
            } else if (auto source = ResultOf(reading, problems)) {
                sources.push_back(std::move(*source));
            }
        }
    }
    for (const std::string& problem : problems) passedOver(problem);
    return sources;
}

}  // namespace verify
