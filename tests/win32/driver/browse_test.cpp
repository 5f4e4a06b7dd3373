// The browse button: the shell's dialog opens at the stored directory, shows the selected
// item's path as its status text, and OK puts the chosen path into the file-name box.
#include <gtest/gtest.h>

#include <cstdio>

#include "app.h"
#include "support.h"

namespace testwin {
namespace {

class BrowseTest : public ::testing::Test {
protected:
    void TearDown() override { SetInstallerDirectory(nullptr); }

    // Presses the button; the dialog, once it shows `startDir` selected in its status text.
    HWND OpenDialog(const App& app, const std::wstring& startDir) {
        // Under Wine the first browse dialog after a prefix is made sometimes ignores its start
        // selection, priming or not; such a dialog is cancelled and the button pressed again.
        for (int attempt = 0; attempt < 2; ++attempt) {
            const HWND dialog = OpenBrowseDialog(app);
            if (dialog == nullptr) break;
            // The tree opens folder by folder; the status follows each step down to the start.
            if (WaitFor(
                    [&] {
                        return SameText(WithoutTrailingSeparator(BrowseStatusText(dialog)),
                                        WithoutTrailingSeparator(startDir));
                    },
                    std::chrono::seconds(3))) {
                return dialog;
            }
            std::printf("attempt %d: the dialog opened at %s\n", attempt + 1, Narrow(BrowseStatusText(dialog)).c_str());
            EXPECT_TRUE(CloseBrowseDialog(app, dialog, IDCANCEL));
        }
        ADD_FAILURE() << "the dialog did not open at " << Narrow(startDir);
        return nullptr;
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
    EXPECT_TRUE(SelectInBrowseTree(dialog, file)) << Narrow(BrowseStatusText(dialog));
    EXPECT_TRUE(CloseBrowseDialog(app, dialog, IDOK));
    EXPECT_TRUE(SameText(app.FileName(), file)) << Narrow(app.FileName());
    // The digest runs while the window answers, so the dialog's close may return before it ends.
    EXPECT_TRUE(WaitFor([&] { return app.Digest() == Wide(SystemMd5(content)); })) << Narrow(app.Digest());
}

TEST_F(BrowseTest, CancelChangesNothingAndWithoutSettingTheDialogOpensAtDocuments) {
    SetInstallerDirectory(nullptr);
    const std::string content = SampleContent(500, 12);
    WriteBytes(tree_ / L"shown.tar.gz", content);
    const App app(tree_ / L"program");
    app.SetFileName((tree_ / L"shown.tar.gz").wstring());
    const std::wstring name = app.FileName();
    const std::wstring digest = app.Digest();

    const std::wstring documents = DocumentsFolder();
    ASSERT_FALSE(documents.empty());
    const HWND dialog = OpenDialog(app, documents);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(CloseBrowseDialog(app, dialog, IDCANCEL));
    EXPECT_EQ(app.FileName(), name);
    EXPECT_EQ(app.Digest(), digest);
}

}  // namespace
}  // namespace testwin
