// Ten thousand changes of the file name and a few hundred browse dialogs must not leave
// kernel handles, GDI objects or windows behind in the program's process.
//
// Under Wine 8 GetProcessHandleCount succeeds with a count of 0 (last error
// ERROR_CALL_NOT_IMPLEMENTED) and GetGuiResources returns 0 for every process, so neither
// is asked. The same figures come from what Wine does keep: the system handle table
// (NtQuerySystemInformation class 16, every handle with its owner's process id) and the GDI
// handle table the process shares through its PEB (a used entry has a nonzero type). USER
// objects are counted as the process's windows, top-level and child.
//
// Wine's own browse dialog keeps one mutex per dialog whose start selection is set, in any
// program (a bare SHBrowseForFolderW loop does the same), so the dialogs' growth is held
// against that of such a loop run in this process in the same run, kind of handle by kind.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <thread>
#include <vector>

#include "app.h"
#include "support.h"

// After <windows.h>, which app.h brings in.
// clang-format off
#include <shlobj.h>
#include <winternl.h>
// clang-format on

namespace testwin {
namespace {

constexpr auto kSystemHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(16);

struct SystemHandleEntry {
    USHORT ownerProcessId;  // the id's low 16 bits; Wine's process ids are small
    USHORT backTraceIndex;
    UCHAR objectType;
    UCHAR attributes;
    USHORT value;
    PVOID object;
    ULONG access;
};

// Handles of a process, counted by kind (the object type index of the system's table).
using HandleKinds = std::map<int, int>;

HandleKinds KernelHandles(DWORD processId) {
    std::vector<char> buffer(1 << 20);
    ULONG length = 0;
    NTSTATUS status = 0;
    while ((status = ::NtQuerySystemInformation(kSystemHandleInformation, buffer.data(),
                                                static_cast<ULONG>(buffer.size()), &length)) ==
           static_cast<NTSTATUS>(0xC0000004L)) {  // STATUS_INFO_LENGTH_MISMATCH
        buffer.resize(buffer.size() * 2);
    }
    if (status != 0) return {};
    ULONG count = 0;
    std::memcpy(&count, buffer.data(), sizeof count);
    const auto* entries = reinterpret_cast<const SystemHandleEntry*>(buffer.data() + sizeof(void*));
    HandleKinds kinds;
    for (ULONG i = 0; i < count; ++i) {
        if (entries[i].ownerProcessId == static_cast<USHORT>(processId)) ++kinds[entries[i].objectType];
    }
    return kinds;
}

int Total(const HandleKinds& kinds) {
    int n = 0;
    for (const auto& [kind, count] : kinds) n += count;
    return n;
}

int Of(const HandleKinds& kinds, int kind) {
    const auto it = kinds.find(kind);
    return it == kinds.end() ? 0 : it->second;
}

int GdiObjects(HANDLE process) {
    PROCESS_BASIC_INFORMATION basic{};
    ULONG length = 0;
    if (::NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, &length) != 0) return -1;
    constexpr std::size_t kPebGdiSharedHandleTable = 0xF8;
    constexpr std::size_t kEntries = 0x10000;
    constexpr std::size_t kEntrySize = 24;  // object, owner, unique (2 bytes), type (1 byte), flags, user pointer
    constexpr std::size_t kTypeOffset = 14;
    std::uint64_t table = 0;
    SIZE_T read = 0;
    if (!::ReadProcessMemory(process, reinterpret_cast<const char*>(basic.PebBaseAddress) + kPebGdiSharedHandleTable,
                             &table, sizeof table, &read) ||
        table == 0) {
        return -1;
    }
    std::vector<unsigned char> entries(kEntries * kEntrySize);
    if (!::ReadProcessMemory(process, reinterpret_cast<const void*>(table), entries.data(), entries.size(), &read)) {
        return -1;
    }
    int n = 0;
    for (std::size_t i = 0; i < kEntries; ++i) n += entries[i * kEntrySize + kTypeOffset] != 0;
    return n;
}

int Windows(DWORD processId) {
    struct Count {
        DWORD processId;
        int n = 0;
    } count{processId};
    ::EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* c = reinterpret_cast<Count*>(p);
            DWORD pid = 0;
            ::GetWindowThreadProcessId(w, &pid);
            if (pid != c->processId) return TRUE;
            ++c->n;
            ::EnumChildWindows(
                w,
                [](HWND, LPARAM q) -> BOOL {
                    ++reinterpret_cast<Count*>(q)->n;
                    return TRUE;
                },
                p);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count.n;
}

struct Counts {
    HandleKinds handles;
    int gdi, windows;
};

Counts Measure(const App& app) {
    return {KernelHandles(app.ProcessId()), GdiObjects(app.Process()), Windows(app.ProcessId())};
}

class LeakTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetInstallerDirectory(tree_.Path().c_str());
        package_ = SampleContent(4096, 77);
        WriteBytes(tree_ / L"small.tar.gz", package_);
        WriteBytes(tree_ / L"notes.txt", SampleContent(100, 78));
        std::filesystem::create_directories(tree_ / L"folder.tar.gz");
        texts_ = {(tree_ / L"missing.tar.gz").wstring(), (tree_ / L"folder.tar.gz").wstring(),
                  (tree_ / L"small.tar.gz").wstring(), (tree_ / L"notes.txt").wstring()};
    }
    void TearDown() override { SetInstallerDirectory(nullptr); }

    // `count` changes, cycling through the four kinds of text; every package digest is checked
    // now and then, so that a failing handler cannot pass for a leak-free one.
    void Changes(const App& app, int count) {
        const std::wstring expected = Wide(SystemMd5(package_));
        for (int i = 0; i < count; ++i) {
            const std::size_t kind = static_cast<std::size_t>(i) % texts_.size();
            app.SetFileName(texts_[kind]);
            if (i % 400 == 2) {
                ASSERT_EQ(app.Digest(), expected) << "change " << i;
            } else if (i % 400 == 1) {
                ASSERT_EQ(app.Digest(), L"") << "change " << i;
            }
        }
    }

    // Opens the browse dialog and cancels it; false when it did not open or close.
    static bool BrowseAndCancel(const App& app) {
        const HWND dialog = OpenBrowseDialog(app);
        return dialog != nullptr && CloseBrowseDialog(app, dialog, IDCANCEL);
    }

    TempTree tree_;
    std::string package_;
    std::vector<std::wstring> texts_;
};

// The same dialog as the program's (flags, start selection, status text), opened and
// cancelled by this process up to `count` times in a quarter minute: what Wine's shell keeps
// per dialog by itself.
struct Reference {
    int dialogs = 0;
    HandleKinds before, after;
    int gdiBefore = 0, gdiAfter = 0;
    // What `count` dialogs may add at the rate this loop's grew.
    int Allowed(int grown, int count) const { return (std::max(0, grown) * count + dialogs - 1) / dialogs; }
};

int CALLBACK ReferenceCallback(HWND dialog, UINT message, LPARAM param, LPARAM startDir) {
    if (message == BFFM_INITIALIZED) ::SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, startDir);
    if (message == BFFM_SELCHANGED) {
        wchar_t path[MAX_PATH] = {};
        if (::SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(param), path)) {
            ::SendMessageW(dialog, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(path));
        }
    }
    return 0;
}

bool ReferenceDialog(HWND owner, const std::wstring& startDir) {
    bool seen = false;
    std::thread closer([&] {
        HWND dialog = nullptr;
        seen = WaitFor([&] { return (dialog = FindOwnedDialog(owner)) != nullptr; });
        if (seen) ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.lpszTitle = L"Reference";
    info.ulFlags = 0x4046;
    info.lpfn = &ReferenceCallback;
    info.lParam = reinterpret_cast<LPARAM>(startDir.c_str());
    if (const PIDLIST_ABSOLUTE item = ::SHBrowseForFolderW(&info)) ::CoTaskMemFree(item);
    closer.join();
    return seen;
}

Reference ReferenceDialogs(int count, const std::wstring& startDir) {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const HWND owner = ::CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                                         nullptr, nullptr, nullptr);
    Reference r;
    for (int i = 0; i < 5; ++i) ReferenceDialog(owner, startDir);
    r.before = KernelHandles(::GetCurrentProcessId());
    r.gdiBefore = GdiObjects(::GetCurrentProcess());
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    for (; r.dialogs < count && (r.dialogs < 20 || std::chrono::steady_clock::now() < end); ++r.dialogs) {
        if (!ReferenceDialog(owner, startDir)) ADD_FAILURE() << "reference dialog " << r.dialogs << " did not open";
    }
    r.after = KernelHandles(::GetCurrentProcessId());
    r.gdiAfter = GdiObjects(::GetCurrentProcess());
    ::DestroyWindow(owner);
    ::CoUninitialize();
    return r;
}

void ExpectFlat(const char* what, int before, int after, int tolerance) {
    std::printf("%-28s %5d -> %5d\n", what, before, after);
    ASSERT_GT(before, 0) << what << " cannot be counted";
    EXPECT_LE(after, before + tolerance) << what << " grew";
}

TEST_F(LeakTest, ChangesAndBrowseDialogsLeaveNoHandlesGdiObjectsOrWindows) {
    const App app(tree_ / L"program");
    // Warm-up: the engine loads, the shell and common controls make what they keep for good.
    Changes(app, 400);
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(BrowseAndCancel(app));
    const Counts start = Measure(app);

    auto phase = std::chrono::steady_clock::now();
    const auto seconds = [&phase] {
        const auto now = std::chrono::steady_clock::now();
        const double s = std::chrono::duration<double>(now - phase).count();
        phase = now;
        return s;
    };
    Changes(app, 9600);
    const Counts changed = Measure(app);
    std::printf("10000 changes (400 of them warm-up), the last 9600 in %.1f s:\n", seconds());
    // A leak per change would add thousands; a few are caches.
    ExpectFlat("  handles", Total(start.handles), Total(changed.handles), 4);
    ExpectFlat("  GDI objects", start.gdi, changed.gdi, 4);
    ExpectFlat("  windows", start.windows, changed.windows, 0);

    // Each dialog costs up to a tenth of a second or more under Wine: as many as fit in the time given.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    int dialogs = 0;
    while (dialogs < 300 && std::chrono::steady_clock::now() < end) {
        ASSERT_TRUE(BrowseAndCancel(app)) << "dialog " << dialogs;
        ++dialogs;
        if (dialogs % 50 == 0) Changes(app, 4);  // the box still digests between dialogs
    }
    ASSERT_GE(dialogs, 50) << "too few dialogs to tell a leak";
    const Counts browsed = Measure(app);
    const double browsing = seconds();
    const Reference reference = ReferenceDialogs(dialogs, tree_.Path().wstring());
    std::printf("%d browse dialogs opened and cancelled in %.1f s; %d of a bare dialog loop in %.1f s:\n", dialogs,
                browsing, reference.dialogs, seconds());
    std::set<int> kinds;
    for (const auto* k : {&changed.handles, &browsed.handles, &reference.before, &reference.after}) {
        for (const auto& [kind, count] : *k) kinds.insert(kind);
    }
    for (const int kind : kinds) {
        const int grown = Of(browsed.handles, kind) - Of(changed.handles, kind);
        const int allowed = reference.Allowed(Of(reference.after, kind) - Of(reference.before, kind), dialogs);
        std::printf("  handles of kind %2d: %5d -> %5d (at the bare loop's rate: +%d)\n", kind,
                    Of(changed.handles, kind), Of(browsed.handles, kind), allowed);
        EXPECT_LE(grown, allowed + 4) << "handles of kind " << kind << " grew";
    }
    const int gdiAllowed = reference.Allowed(reference.gdiAfter - reference.gdiBefore, dialogs);
    std::printf("  GDI objects: %d -> %d (at the bare loop's rate: +%d)\n", changed.gdi, browsed.gdi, gdiAllowed);
    // Wine's shell fills a cache of about 25 GDI objects once, somewhere in the first few
    // hundred dialogs, which a short reference loop may not reach; a leak of one object per
    // dialog adds at least 50.
    EXPECT_LE(browsed.gdi - changed.gdi, gdiAllowed + 40) << "GDI objects grew";
    ExpectFlat("  windows", changed.windows, browsed.windows, 0);
    EXPECT_TRUE(app.Answers());
}

}  // namespace
}  // namespace testwin
