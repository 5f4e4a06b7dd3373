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

using Reader = std::function<Read(const std::function<bool()>& stop)>;

// Adds a slot, to be read; the stage's lock is held.
std::size_t AddSlot(Stage& stage, std::size_t order, std::string label) {
    stage.slots.push_back({order, std::move(label), false, {}, nullptr});
    ++stage.running;
    return stage.slots.size() - 1;
}

// Reads the slot on this thread, which `interrupter` can interrupt, unless the stage was given up.
void ReadSlot(const std::shared_ptr<Stage>& stage, std::size_t index, const runtime::ReadInterrupter& interrupter,
              const Reader& read) {
    {
        const std::lock_guard<std::mutex> guard(stage->lock);
        if (stage->abandoned) return;
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
}

// Adds a slot to the stage and reads it on a pool thread of its own.
void StartReader(const std::shared_ptr<Stage>& stage, std::size_t order, std::string label, Reader read) {
    std::size_t index = 0;
    {
        const std::lock_guard<std::mutex> guard(stage->lock);
        index = AddSlot(*stage, order, std::move(label));
    }
    runtime::RunOnWorker([stage, index, read = std::move(read)] {
        const runtime::ReadInterrupter interrupter;
        ReadSlot(stage, index, interrupter, read);
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
    // The files beside the package are listed and read one after another on one thread: a thread
    // hand-off costs as much as reading a short list, and a folder slow to answer is slow for all.
    runtime::RunOnWorker([stage, request] {
        const runtime::ReadInterrupter interrupter;
        std::vector<std::string> files = ChecksumFilesBeside(request.packagePath, request.packageName);
        if (!request.namedFile.empty()) {
            std::erase_if(files, [&](const std::string& path) { return runtime::SamePath(path, request.namedFile); });
        }
        std::size_t first = 0;
        {
            const std::lock_guard<std::mutex> guard(stage->lock);
            first = stage->slots.size();
            for (std::size_t i = 0; i < files.size(); ++i) AddSlot(*stage, 1 + i, files[i]);
            stage->listed = true;
            stage->changed.notify_all();
        }
        for (std::size_t i = 0; i < files.size(); ++i) {
            ReadSlot(stage, first + i, interrupter,
                     [&](const std::function<bool()>& stop) { return ReadFileSource(files[i], request, stop); });
        }
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
