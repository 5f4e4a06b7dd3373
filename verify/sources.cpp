#include "verify/sources.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>

#include "runtime/files.h"
#include "runtime/paths.h"
#include "runtime/unique_resource.h"
#include "runtime/worker_pool.h"
#include "verify/checksum_files.h"

namespace verify {

namespace {

using Clock = std::chrono::steady_clock;

// What a reader found: a source, or why it was passed over, or (both empty) nothing.
struct Read {
    std::optional<Source> source;
    std::string problem;
};

// The readers' shared state: it outlives the call when a reader is abandoned.
struct Stage {
    struct Slot {
        std::size_t order;  // where the caption names it
        std::string label;  // what the tooltip calls it
        bool done = false;
        Read read;
        const runtime::ReadInterrupter* reading = nullptr;  // while its reader runs
    };

    std::mutex lock;
    std::condition_variable changed;
    std::deque<Slot> slots;  // by reference, so that adding one moves none
    int running = 0;
    bool listed = false;
    std::atomic<bool> abandoned{false};
};

// Adds a slot to the stage and starts its reader on a pool thread.
void StartReader(const std::shared_ptr<Stage>& stage, std::size_t order, std::string label,
                 std::function<Read(const std::function<bool()>& stop)> read) {
    std::size_t index = 0;
    {
        const std::lock_guard<std::mutex> guard(stage->lock);
        if (stage->abandoned) return;
        index = stage->slots.size();
        stage->slots.push_back({order, std::move(label), false, {}, nullptr});
        ++stage->running;
    }
    runtime::RunOnWorker([stage, index, read = std::move(read)] {
        const runtime::ReadInterrupter interrupter;
        {
            const std::lock_guard<std::mutex> guard(stage->lock);
            stage->slots[index].reading = &interrupter;
        }
        Read result = read([&stage] { return stage->abandoned.load(); });
        const std::lock_guard<std::mutex> guard(stage->lock);
        Stage::Slot& slot = stage->slots[index];
        slot.read = std::move(result);
        slot.done = true;
        slot.reading = nullptr;
        --stage->running;
        stage->changed.notify_all();
    });
}

// "1", "0.5": the limit as the tooltip says it.
std::string Seconds(std::chrono::milliseconds limit) {
    char text[32];
    const int n = std::snprintf(text, sizeof text, "%g", static_cast<double>(limit.count()) / 1000);
    return std::string(text, n > 0 ? static_cast<std::size_t>(n) : 0);
}

Read ReadFileSource(const std::string& path, const SourcesRequest& request, const std::function<bool()>& stop) {
    const auto reading = ReadChecksumFile(path, request.packagePath, request.packageName, stop);
    if (!reading) return {};
    if (reading->unreadLine != 0) {
        return {std::nullopt,
                "Passed over " + path + ": line " + std::to_string(reading->unreadLine) + " is too long to read"};
    }
    if (reading->entries.empty()) return {};
    Source source{std::string(runtime::BareName(path)), {}};
    for (const KeptEntry& entry : reading->entries) {
        source.expected.push_back({entry.algorithm, entry.hex, entry.size,
                                   path + ", line " + std::to_string(entry.line), reading->signedList});
    }
    return {std::move(source), ""};
}

}  // namespace

Findings ReadSources(const SourcesRequest& request, std::chrono::milliseconds limit,
                     const std::function<bool()>& cancelled) {
    const auto deadline = Clock::now() + limit;
    const auto stage = std::make_shared<Stage>();
    if (!request.namedFile.empty()) {
        StartReader(stage, 0, request.namedFile, [request](const std::function<bool()>& stop) {
            return ReadFileSource(request.namedFile, request, stop);
        });
    }
    runtime::RunOnWorker([stage, request] {
        std::vector<std::string> files = ChecksumFilesBeside(request.packagePath, request.packageName);
        std::size_t order = 1;
        for (const std::string& path : files) {
            if (!request.namedFile.empty() && runtime::SamePath(path, request.namedFile)) continue;  // read already
            StartReader(stage, order++, path, [request, path](const std::function<bool()>& stop) {
                return ReadFileSource(path, request, stop);
            });
        }
        const std::lock_guard<std::mutex> guard(stage->lock);
        stage->listed = true;
        stage->changed.notify_all();
    });
    if (request.clipboard) {
        StartReader(stage, kMostChecksumFiles + 1, "the clipboard", [request](const std::function<bool()>&) {
            return Read{SourceFromClipboard(request.clipboard(), request.packageName), ""};
        });
    }

    std::unique_lock<std::mutex> guard(stage->lock);
    const runtime::ScopeGuard abandon([&] {
        // Whatever still reads is given up on, and interrupted where the platform can.
        stage->abandoned = true;
        for (const auto& slot : stage->slots) {
            if (slot.reading != nullptr) slot.reading->Interrupt();
        }
    });
    while (!(stage->listed && stage->running == 0) && Clock::now() < deadline) {
        if (cancelled && cancelled()) return {};
        // A cancellation is looked for every 20 ms.
        stage->changed.wait_until(guard, std::min(deadline, Clock::now() + std::chrono::milliseconds(20)));
    }
    Findings findings;
    std::vector<const Stage::Slot*> slots;
    for (const auto& slot : stage->slots) slots.push_back(&slot);
    std::stable_sort(slots.begin(), slots.end(), [](const auto* a, const auto* b) { return a->order < b->order; });
    const std::string seconds = Seconds(limit);
    for (const Stage::Slot* slot : slots) {
        if (!slot->done) {
            findings.unread.push_back("Passed over " + slot->label + ": not read within " + seconds + " s");
        } else if (slot->read.source) {
            findings.sources.push_back(*slot->read.source);
        } else if (!slot->read.problem.empty()) {
            findings.unread.push_back(slot->read.problem);
        }
    }
    if (!stage->listed) {
        const std::string folder = runtime::ParentPath(request.packagePath);
        findings.unread.push_back("Passed over the checksum files in " + (folder.empty() ? "." : folder) +
                                  ": the folder was not read within " + seconds + " s");
    }
    return findings;
}

}  // namespace verify
