#include "digest/clsMD5.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "digest/engine_binding.h"
#include "digest/md5_context.h"
#include "digest/platform_hash.h"
#include "runtime/error.h"
#include "runtime/files.h"
#include "runtime/text.h"
#include "runtime/unique_resource.h"

namespace digest {

namespace {

constexpr std::size_t kBlock = 64;
// Measured over 32 KiB to 1 MiB from the page cache: from 64 KiB to 256 KiB alike (once each read
// lands at a page), and this size still sits in the core's cache when the engine takes it.
// The engine still sees 64-byte pieces.
constexpr std::size_t kReadChunk = std::size_t{128} << 10;
// Reads in flight when other digests are computed beside MD5: each digest's thread may lag this
// many reads behind the reader before the reader waits for it. A digest's thread, once it has
// caught up, sleeps until a batch of reads is there: waking it for each read cost a few percent.
constexpr std::size_t kRingReads = 8;
constexpr std::size_t kBatch = 4;
static_assert(kBatch <= kRingReads, "a waiting digest's batch must fit before the reader waits");

// The reads of one file, shared by the reader (which also feeds MD5) and one thread per other
// digest. Read n goes to slot n % slots; a slot is read into again only once every digest thread
// has taken it. Without other digests there is one slot and nothing to wait for.
class Ring {
public:
    Ring(std::size_t slots, std::size_t hashers) : slots_(slots), taken_(hashers, 0), wanted_(hashers, 0) {
        for (auto& slot : slots_) slot.bytes = runtime::NewReadBuffer(kReadChunk);
    }

    // The reader's slot for read n, once every digest thread is done with what it held.
    unsigned char* SlotForRead(std::uint64_t n) {
        if (!taken_.empty() && n >= slots_.size()) {
            std::unique_lock<std::mutex> guard(lock_);
            readerWants_ = n - slots_.size() + 1;
            tookOne_.wait(guard, [&] {
                return std::all_of(taken_.begin(), taken_.end(), [&](std::uint64_t t) { return t >= readerWants_; });
            });
            readerWants_ = 0;
        }
        return slots_[n % slots_.size()].bytes.get();
    }
    // Read n has `size` bytes; 0 ends the file.
    void Publish(std::uint64_t n, std::size_t size) {
        if (taken_.empty()) return;
        bool wake = false;
        {
            const std::lock_guard<std::mutex> guard(lock_);
            slots_[n % slots_.size()].size = size;
            published_ = n + 1;
            ended_ = size == 0;
            for (const std::uint64_t wanted : wanted_) wake = wake || (wanted != 0 && (ended_ || published_ >= wanted));
        }
        if (wake) publishedSome_.notify_all();
    }
    void Stop() {
        {
            const std::lock_guard<std::mutex> guard(lock_);
            stopped_ = true;
        }
        publishedSome_.notify_all();
    }

    // Runs on digest thread `index`: every read goes to `feed` until the end of the file or a stop.
    template <typename Feed>
    void Serve(std::size_t index, Feed feed) {
        for (std::uint64_t n = 0;; ++n) {
            std::size_t size = 0;
            {
                std::unique_lock<std::mutex> guard(lock_);
                if (!stopped_ && published_ <= n) {
                    wanted_[index] = n + kBatch;
                    publishedSome_.wait(guard, [&] { return stopped_ || ended_ || published_ >= wanted_[index]; });
                    wanted_[index] = 0;
                }
                if (stopped_) return;
                size = slots_[n % slots_.size()].size;
            }
            if (size == 0) return;
            feed(slots_[n % slots_.size()].bytes.get(), size);
            bool wake = false;
            {
                const std::lock_guard<std::mutex> guard(lock_);
                taken_[index] = n + 1;
                wake = readerWants_ != 0 && taken_[index] >= readerWants_;
            }
            if (wake) tookOne_.notify_one();
        }
    }

private:
    struct Slot {
        runtime::ReadBuffer bytes;
        std::size_t size = 0;
    };
    std::vector<Slot> slots_;
    std::mutex lock_;  // guards what follows, and each slot's size
    std::condition_variable publishedSome_, tookOne_;
    std::vector<std::uint64_t> taken_;   // reads each digest thread is done with
    std::vector<std::uint64_t> wanted_;  // what a sleeping digest thread waits for, else 0
    std::uint64_t published_ = 0, readerWants_ = 0;
    bool ended_ = false, stopped_ = false;
};

// One other digest in the making on its own thread.
struct Other {
    Algorithm algorithm;
    std::unique_ptr<PlatformHash> hash;
    std::string failure;
};

}  // namespace

clsMD5::clsMD5() {
    Class_Initialize();
}

clsMD5::~clsMD5() {
    Class_Terminate();
}

std::string clsMD5::DigestFileToHexStr(const std::string& FileName) const {
    return DigestFileToHexStr(FileName, nullptr);
}

std::string clsMD5::DigestFileToHexStr(const std::string& FileName, const ReadProgress& progress) const {
    return DigestFile(FileName, {}, progress).md5;
}

FileDigests clsMD5::DigestFile(const std::string& FileName, std::span<const Algorithm> others,
                               const ReadProgress& progress, std::span<const Tap> taps) const {
    FileDigests result;
    runtime::InputFile file(FileName);  // opened before any engine call
    const std::uint64_t size = progress ? file.Size() : 0;

    std::vector<Other> hashers;
    for (const Algorithm algorithm : others) {
        try {
            hashers.push_back({algorithm, PlatformHash::Create(algorithm), ""});
        } catch (const runtime::Error& e) {
            result.failed.emplace_back(algorithm, e.text());
        }
    }
    const std::size_t consumers = hashers.size() + taps.size();
    Ring ring(consumers == 0 ? 1 : kRingReads, consumers);
    std::vector<std::thread> threads;
    const runtime::ScopeGuard joined([&] {
        ring.Stop();  // a no-op for threads that saw the end already
        for (auto& thread : threads) thread.join();
    });
    for (std::size_t i = 0; i < hashers.size(); ++i) {
        threads.emplace_back([&ring, &other = hashers[i], i] {
            ring.Serve(i, [&other](const unsigned char* bytes, std::size_t n) {
                if (!other.failure.empty()) return;
                try {
                    other.hash->Update(bytes, n);
                } catch (const runtime::Error& e) {
                    other.failure = e.text();
                }
            });
        });
    }
    for (std::size_t i = 0; i < taps.size(); ++i) {
        threads.emplace_back([&ring, &tap = taps[i], index = hashers.size() + i] {
            ring.Serve(index, [&tap](const unsigned char* bytes, std::size_t n) { tap({bytes, n}); });
        });
    }

    MD5Context context{};
    const engine::Functions& md5 = engine::Bind(mEnginePath);
    md5.Init(&context);
    // Kept in a local: the hot loop calls it for every 64 bytes, across calls the compiler cannot see into.
    const auto update = md5.Update;
    unsigned char carry[kBlock];  // the start of a block that a read left unfinished
    std::size_t carried = 0;
    for (std::uint64_t n = 0;; ++n) {
        // Before each read: a read from slow media is where a cancellation waits longest.
        if (progress && !progress(result.size, size)) throw Cancelled{};
        unsigned char* bytes = ring.SlotForRead(n);
        std::size_t got = file.Read(bytes, kReadChunk);
        ring.Publish(n, got);
        if (got == 0) break;
        result.size += got;
        if (carried != 0) {
            const std::size_t take = std::min(kBlock - carried, got);
            std::memcpy(carry + carried, bytes, take);
            carried += take;
            bytes += take;
            got -= take;
            if (carried < kBlock) continue;
            update(&context, carry, kBlock);
        }
        const std::size_t whole = got - got % kBlock;
        for (std::size_t at = 0; at < whole; at += kBlock) update(&context, bytes + at, kBlock);
        carried = got - whole;
        std::memcpy(carry, bytes + whole, carried);
    }
    update(&context, carry, carried);  // made also when nothing remains
    unsigned char digest[16] = {};
    md5.Final(digest, &context);
    result.md5 = BytesToHexStr(digest);

    for (auto& thread : threads) thread.join();
    threads.clear();
    for (auto& other : hashers) {
        if (other.failure.empty()) {
            try {
                result.others.emplace_back(other.algorithm, other.hash->FinishHex());
                continue;
            } catch (const runtime::Error& e) {
                other.failure = e.text();
            }
        }
        result.failed.emplace_back(other.algorithm, other.failure);
    }
    return result;
}

std::string clsMD5::DigestStrToHexStr(const std::string& SourceString) const {
    MD5Context context{};
    unsigned char digest[16] = {};
    const engine::Functions& md5 = engine::Bind(mEnginePath);
    md5.Init(&context);
    const auto bytes = StringToBytes(SourceString);
    md5.Update(&context, bytes.data(), bytes.size() - 1);  // not the closing 0
    md5.Final(digest, &context);
    return BytesToHexStr(digest);
}

std::vector<unsigned char> clsMD5::StringToBytes(const std::string& text) {
    const std::u16string units = runtime::Utf8ToUtf16(text);
    std::vector<unsigned char> bytes(units.size() + 1, 0);
    for (std::size_t i = 0; i < units.size(); ++i) {
        const unsigned code = runtime::AnsiCodeOf(units[i]);
        if (code > 255)
            throw runtime::Error(runtime::kOverflow, "Overflow: a character of the text has no single-byte code");
        bytes[i] = static_cast<unsigned char>(code);
    }
    return bytes;
}

std::string clsMD5::BytesToHexStr(std::span<const unsigned char> bytes) {
    return runtime::HexEncode(bytes);
}

}  // namespace digest
