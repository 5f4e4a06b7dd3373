// Long digests and slow lookups, watched from outside: the window answers every probe while it
// waits, shows its progress in the caption, drops typing, and Escape or the close box ends the
// wait. Sparse packages of 1 and 4 GiB read fast enough from the page cache to run here.
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
    std::vector<UCHAR> zeros(1 << 20, 0);
    for (std::uint64_t left = size - kTail; left > 0;) {
        const auto n = static_cast<ULONG>(std::min<std::uint64_t>(left, zeros.size()));
        ::BCryptHashData(hash, zeros.data(), n, 0);
        left -= n;
    }
    std::string tail = Tail();
    ::BCryptHashData(hash, reinterpret_cast<PUCHAR>(tail.data()), static_cast<ULONG>(tail.size()), 0);
    unsigned char digest[16] = {};
    ::BCryptFinishHash(hash, digest, sizeof digest, 0);
    ::BCryptDestroyHash(hash);
    ::BCryptCloseAlgorithmProvider(md5, 0);
    static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring hex;
    for (const unsigned char b : digest) hex += {kDigits[b >> 4], kDigits[b & 15]};
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
// the window meanwhile: the slowest answer to WM_NULL and every caption seen. `during` runs once,
// on the probing thread, when a progress caption has shown.
struct Probe {
    std::vector<std::wstring> captions;
    milliseconds slowest{0};
    bool returned = false;

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
            const std::wstring caption = Caption(app);
            if (captions.empty() || captions.back() != caption) captions.push_back(caption);
            if (!acted && during && Share(caption) >= 0) {
                acted = true;
                during();
            }
            std::this_thread::sleep_for(milliseconds(5));
        }
        naming.join();
        returned = true;
    }
};

class WaitTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        SetInstallerDirectory(nullptr);
        tree_ = new TempTree;
        WriteSparse(*tree_ / L"one.tar.gz", kGiB);
        WriteSparse(*tree_ / L"four.tar.gz", 4 * kGiB + 100);
        WriteBytes(*tree_ / L"small.tar.gz", SampleContent(5000, 9));
        app_ = new App(*tree_ / L"program");
    }
    static void TearDownTestSuite() {
        delete app_;
        delete tree_;
    }
    static std::wstring PathOf(const std::wstring& name) { return (*tree_ / name).wstring(); }

    static TempTree* tree_;
    static App* app_;
};
TempTree* WaitTest::tree_ = nullptr;
App* WaitTest::app_ = nullptr;

TEST_F(WaitTest, LongDigestAnswersShowsGrowingProgressAndDropsTyping) {
    const std::wstring pkg = PathOf(L"one.tar.gz");
    const Probe probe(*app_, pkg);
    EXPECT_EQ(app_->Digest(), SparseDigest(kGiB)) << "set before the assignment returned";
    EXPECT_LT(probe.slowest.count(), 100);
    std::vector<int> shares;
    for (const auto& caption : probe.captions) {
        if (Share(caption) >= 0) shares.push_back(Share(caption));
    }
    ASSERT_GE(shares.size(), 2u) << "captions seen: " << probe.captions.size();
    for (std::size_t i = 1; i < shares.size(); ++i) EXPECT_GT(shares[i], shares[i - 1]);
    EXPECT_EQ(Caption(*app_), L"Pellwick");
}

TEST_F(WaitTest, TypingIsDroppedAndEscapeCancelsThenTheNextDigestIsRight) {
    const std::wstring pkg = PathOf(L"four.tar.gz");
    Clock::time_point escaped{};
    const Probe probe(*app_, pkg, [&] {
        ::PostMessageW(app_->FileNameBox(), WM_CHAR, L'x', 1);
        ::PostMessageW(app_->FileNameBox(), WM_KEYDOWN, 'Y', 1);
        std::this_thread::sleep_for(milliseconds(200));
        escaped = Clock::now();
        ::PostMessageW(app_->FileNameBox(), WM_KEYDOWN, VK_ESCAPE, 1);
    });
    const auto took = std::chrono::duration_cast<milliseconds>(Clock::now() - escaped);
    EXPECT_LT(took.count(), 500) << "from Escape to the assignment's return, with the probe's own pauses";
    EXPECT_EQ(app_->FileName(), pkg) << "typing during the digest changes nothing";
    EXPECT_EQ(app_->Digest(), L"");
    EXPECT_EQ(FindOwnedDialog(app_->Window()), nullptr) << "no error box";
    EXPECT_EQ(Caption(*app_), L"Pellwick");
    EXPECT_LT(probe.slowest.count(), 100);

    app_->SetFileName(PathOf(L"small.tar.gz"));
    EXPECT_EQ(app_->Digest(), Wide(SystemMd5(SampleContent(5000, 9))));
    EXPECT_EQ(Caption(*app_), L"Pellwick") << "a short digest never changes the caption";
}

TEST_F(WaitTest, CloseBoxDuringADigestEndsTheProgramWithinASecond) {
    const App app(*tree_ / L"closing");
    Clock::time_point closed{};
    const Probe probe(app, PathOf(L"four.tar.gz"), [&] {
        closed = Clock::now();
        ::PostMessageW(app.Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(::WaitForSingleObject(app.Process(), 1000), WAIT_OBJECT_0);
    EXPECT_LT(std::chrono::duration_cast<milliseconds>(Clock::now() - closed).count(), 1000);
}

TEST_F(WaitTest, SlowLookupIsWaitedForAnsweringAndEscapeAbandonsIt) {
    const std::wstring folder = PathOf(L"remote");
    fs::create_directories(folder);
    WriteBytes(folder + L"\\r.tar.gz", "remote");
    // The program takes names under the folder as remote, and their lookup as 3 s long.
    ::SetEnvironmentVariableW(L"PELLWICK_TEST_SLOW_LOOKUP", (L"3000:" + folder).c_str());
    const App app(*tree_ / L"lookup");
    ::SetEnvironmentVariableW(L"PELLWICK_TEST_SLOW_LOOKUP", nullptr);
    app.SetFileName(PathOf(L"small.tar.gz"));
    ASSERT_EQ(app.Digest(), Wide(SystemMd5(SampleContent(5000, 9))));
    Clock::time_point escaped{};
    std::atomic<bool> done{false};
    std::thread naming([&] {
        app.SetFileName(folder + L"\\r.tar.gz");
        done = true;
    });
    std::this_thread::sleep_for(milliseconds(300));
    EXPECT_FALSE(done) << "the lookup is still under way";
    const auto probeStart = Clock::now();
    EXPECT_TRUE(app.Answers());
    EXPECT_LT(std::chrono::duration_cast<milliseconds>(Clock::now() - probeStart).count(), 100);
    escaped = Clock::now();
    ::PostMessageW(app.FileNameBox(), WM_KEYDOWN, VK_ESCAPE, 1);
    naming.join();
    EXPECT_LT(std::chrono::duration_cast<milliseconds>(Clock::now() - escaped).count(), 500);
    EXPECT_EQ(app.Digest(), L"");
    EXPECT_EQ(FindOwnedDialog(app.Window()), nullptr);
}

}  // namespace
}  // namespace testwin
