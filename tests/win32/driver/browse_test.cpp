// The browse button: the shell's dialog opens at the stored directory, shows the selected
// item's path as its status text, and OK puts the chosen path into the file-name box.
#include <gtest/gtest.h>

#include <cstdio>

#include "app.h"
#include "support.h"

// After <windows.h>, which app.h brings in.
// clang-format off
#include <commctrl.h>
#include <shlobj.h>
// clang-format on

namespace testwin {
namespace {

constexpr int kTree = 14145;
constexpr int kStatusText = 14147;

std::wstring Trimmed(std::wstring path) {
    if (path.size() > 3 && path.back() == L'\\') path.pop_back();
    return path;
}

class BrowseTest : public ::testing::Test {
protected:
    void TearDown() override { SetInstallerDirectory(nullptr); }

    // Presses the button; the dialog, once it shows `startDir` selected in its status text.
    HWND OpenDialog(const App& app, const std::wstring& startDir) {
        // Under Wine the first browse dialog after a prefix is made sometimes ignores its start
        // selection, priming or not; such a dialog is cancelled and the button pressed again.
        for (int attempt = 0; attempt < 2; ++attempt) {
            ::PostMessageW(app.BrowseButton(), BM_CLICK, 0, 0);
            HWND dialog = nullptr;
            if (!WaitFor([&] { return (dialog = FindOwnedDialog(app.Window())) != nullptr; })) break;
            // The tree opens folder by folder; the status follows each step down to the start.
            if (WaitFor([&] { return SameText(Trimmed(StatusText(dialog)), Trimmed(startDir)); },
                        std::chrono::seconds(3))) {
                return dialog;
            }
            std::printf("attempt %d: the dialog opened at %s\n", attempt + 1, Utf8(StatusText(dialog)).c_str());
            Close(app, dialog, IDCANCEL);
        }
        ADD_FAILURE() << "the dialog did not open at " << Utf8(startDir);
        return nullptr;
    }
    static std::wstring StatusText(HWND dialog) { return WindowText(::GetDlgItem(dialog, kStatusText)); }
    static void Close(const App& app, HWND dialog, int button) {
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        EXPECT_TRUE(WaitFor([&] { return FindOwnedDialog(app.Window()) == nullptr; }));
        EXPECT_TRUE(app.Answers());
    }

    TempTree tree_;
};

TEST_F(BrowseTest, OpensAtStoredDirectoryAndOkDigestsTheChosenFile) {
    const auto packages = tree_ / L"packages";
    std::filesystem::create_directories(packages);
    const std::string content = SampleContent(20000, 11);
    WriteBytes(packages / L"chosen.tar.gz", content);
    SetInstallerDirectory((packages.wstring() + L"\\").c_str());
    const App app(tree_ / L"program");
    app.SetFileName(L"C:\\elsewhere");

    const HWND dialog = OpenDialog(app, packages.wstring());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(dialog).find(L"Pellwick"), std::wstring::npos);

    const std::wstring file = (packages / L"chosen.tar.gz").wstring();
    // The person opens the selected folder and clicks the file: the status text follows.
    const HWND tree = ::GetDlgItem(dialog, kTree);
    const auto folder = ::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
    ::SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, folder);
    bool shown = false;
    for (auto item = ::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, folder); item != 0 && !shown;
         item = ::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, item)) {
        ::SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, item);
        shown = SameText(StatusText(dialog), file);
    }
    EXPECT_TRUE(shown) << Utf8(StatusText(dialog));
    Close(app, dialog, IDOK);
    EXPECT_TRUE(SameText(app.FileName(), file)) << Utf8(app.FileName());
    EXPECT_EQ(app.Digest(), Wide(SystemMd5(content)));
}

TEST_F(BrowseTest, CancelChangesNothingAndWithoutSettingTheDialogOpensAtDocuments) {
    SetInstallerDirectory(nullptr);
    const std::string content = SampleContent(500, 12);
    WriteBytes(tree_ / L"shown.tar.gz", content);
    const App app(tree_ / L"program");
    app.SetFileName((tree_ / L"shown.tar.gz").wstring());
    const std::wstring name = app.FileName();
    const std::wstring digest = app.Digest();

    wchar_t documents[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents)));
    const HWND dialog = OpenDialog(app, documents);
    ASSERT_NE(dialog, nullptr);
    Close(app, dialog, IDCANCEL);
    EXPECT_EQ(app.FileName(), name);
    EXPECT_EQ(app.Digest(), digest);
}

}  // namespace
}  // namespace testwin
