// Long digests, watched from outside: the window answers every probe while it
// waits, shows its progress in the caption, drops typing, and Escape, the close box or a new name
// set by another program ends the wait. Sparse packages of 1 and 4 GiB read fast enough from the page cache to run
// here.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "app.h"
#include "support.h"

// After <windows.h>, which app.h brings in.
// clang-format off
#include <bcrypt.h>
// clang-format on

namespace testwin {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;
constexpr std::size_t kTail = 4096;  // the only bytes written: the rest is a hole

std::string Tail() {
    return SampleContent(kTail, 77);
}

// A file of `size` bytes, zero but for its last few.
void WriteSparse(const fs::path& file, std::uint64_t size) {
    const runtime::win32::UniqueHandle h(runtime::win32::NullIfInvalid(
        ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)));
    ASSERT_TRUE(h.Valid());
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(size - kTail);
    ASSERT_TRUE(::SetFilePointerEx(h.Get(), at, nullptr, FILE_BEGIN));
    const std::string tail = Tail();
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(h.Get(), tail.data(), static_cast<DWORD>(tail.size()), &written, nullptr));
}

// The system's MD5 of such a file, fed in pieces.
std::wstring SparseDigest(std::uint64_t size) {
    BCRYPT_ALG_HANDLE md5 = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    ::BCryptOpenAlgorithmProvider(&md5, BCRYPT_MD5_ALGORITHM, nullptr, 0);
    ::BCryptCreateHash(md5, &hash, nullptr, 0, nullptr, 0, 0);
    std::vector<UCHAR> piece(1 << 20, 0);
    for (std::uint64_t left = size - kTail; left > 0; left -= std::min<std::uint64_t>(left, piece.size())) {
        ::BCryptHashData(hash, piece.data(), static_cast<ULONG>(std::min<std::uint64_t>(left, piece.size())), 0);
    }
    std::string tail = Tail();
    ::BCryptHashData(hash, reinterpret_cast<PUCHAR>(tail.data()), static_cast<ULONG>(tail.size()), 0);
    unsigned char digest[16] = {};
    ::BCryptFinishHash(hash, digest, sizeof digest, 0);
    ::BCryptDestroyHash(hash);
    ::BCryptCloseAlgorithmProvider(md5, 0);
    std::wstring hex;
    for (const unsigned char b : digest) hex += {L"0123456789ABCDEF"[b >> 4], L"0123456789ABCDEF"[b & 15]};
    return hex;
}

std::wstring Caption(const App& app) {
    wchar_t text[128] = {};
    ::GetWindowTextW(app.Window(), text, 128);
    return text;
}

int Share(const std::wstring& caption) {
    const std::wstring prefix = L"Pellwick \u2013 ";
    if (caption.rfind(prefix, 0) != 0 || caption.back() != L'%') return -1;
    return std::stoi(caption.substr(prefix.size()));
}

// Names a file on a thread of its own (the assignment returns once the handler has), probing
// the window meanwhile: the slowest answer to WM_NULL and each share that the caption showed.
// `during` runs once, on the probing thread, when the first share has shown.
struct Probe {
    std::vector<int> shares;
    milliseconds slowest{0};

    Probe(const App& app, const std::wstring& name, const std::function<void()>& during = {}) {
        std::atomic<bool> done{false};
        std::thread naming([&] {
            try {
                app.SetFileName(name);
            } catch (const std::exception&) {  // the window went: the close-box case
            }
            done = true;
        });
        bool acted = false;
        while (!done) {
            const auto start = Clock::now();
            DWORD_PTR result = 0;
            if (::SendMessageTimeoutW(app.Window(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result) == 0) break;
            slowest = std::max(slowest, std::chrono::duration_cast<milliseconds>(Clock::now() - start));
            const int share = Share(Caption(app));
            if (share >= 0 && (shares.empty() || shares.back() != share)) shares.push_back(share);
            if (!acted && during && share >= 0) {
                acted = true;
                during();
            }
            std::this_thread::sleep_for(milliseconds(5));
        }
        naming.join();
    }
};

class WaitTest : public OneProgramTest<WaitTest> {
public:
    static void Prepare(const TempTree& tree) {
        WriteSparse(tree / L"one.tar.gz", kGiB);
        WriteSparse(tree / L"four.tar.gz", 4 * kGiB + 100);
        WriteBytes(tree / L"small.tar.gz", SampleContent(5000, 9));
    }
};

TEST_F(WaitTest, LongDigestAnswersShowsGrowingProgressDropsTypingAndSetsTheBoxBeforeReturning) {
    const std::wstring pkg = PathOf(L"one.tar.gz");
    const Probe probe(*app_, pkg, [] { ::PostMessageW(app_->FileNameBox(), WM_CHAR, L'x', 1); });
    EXPECT_EQ(app_->Digest(), SparseDigest(kGiB));
    EXPECT_EQ(app_->FileName(), pkg) << "typing during the digest changes nothing";
    EXPECT_LT(probe.slowest.count(), 100);
    ASSERT_GE(probe.shares.size(), 2u);
    for (std::size_t i = 1; i < probe.shares.size(); ++i) EXPECT_GT(probe.shares[i], probe.shares[i - 1]);
    EXPECT_EQ(Caption(*app_), L"Pellwick");
}

TEST_F(WaitTest, EscapeTheCloseBoxOrANewNameEndsTheWaitAtOnce) {
    Clock::time_point cancelled{};
    const Probe escaped(*app_, PathOf(L"four.tar.gz"), [&] {
        cancelled = Clock::now();
        ::PostMessageW(app_->FileNameBox(), WM_KEYDOWN, VK_ESCAPE, 1);
    });
    EXPECT_LT(std::chrono::duration_cast<milliseconds>(Clock::now() - cancelled).count(), 500);
    EXPECT_EQ(app_->Digest(), L"");
    EXPECT_EQ(FindOwnedDialog(app_->Window()), nullptr) << "no error box";
    EXPECT_EQ(Caption(*app_), L"Pellwick");
    app_->SetFileName(PathOf(L"small.tar.gz"));
    EXPECT_EQ(app_->Digest(), Wide(SystemMd5(SampleContent(5000, 9))));
    EXPECT_EQ(Caption(*app_), L"Pellwick") << "a short digest never changes the caption";

    // Set as a screen reader sets a box's text: the new name is digested once the wait has ended.
    const std::wstring small = PathOf(L"small.tar.gz");
    const Probe renamed(*app_, PathOf(L"four.tar.gz"), [&] {
        DWORD_PTR result = 0;
        ::SendMessageTimeoutW(app_->FileNameBox(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(small.c_str()), SMTO_NORMAL,
                              5000, &result);
    });
    EXPECT_EQ(app_->FileName(), small);
    EXPECT_EQ(app_->Digest(), Wide(SystemMd5(SampleContent(5000, 9))));

    const App closing(*tree_ / L"closing");
    const Probe closed(closing, PathOf(L"four.tar.gz"), [&] {
        cancelled = Clock::now();
        ::PostMessageW(closing.Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(::WaitForSingleObject(closing.Process(), 1000), WAIT_OBJECT_0);
    EXPECT_LT(std::chrono::duration_cast<milliseconds>(Clock::now() - cancelled).count(), 1000);
}

}  // namespace
}  // namespace testwin
