// The Win32 front end of frmMain: a fixed tool window with two rows of controls.
#pragma once

#include "runtime/system_win32.h"

// After <windows.h>, which runtime/system_win32.h brings in.
// clang-format off
#include <shellapi.h>
// clang-format on

#include <vector>

#include "window/dpi_win32.h"
#include "window/frmMain.h"

namespace window::win32 {

using UniqueBrush = runtime::UniqueResource<HBRUSH, &::DeleteObject>;

class MainWindow final : public MainView {
public:
    explicit MainWindow(HINSTANCE instance);
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the window, runs the load handler, shows it; false when it could not be created.
    bool Create(int showCommand);
    HWND Handle() const { return hwnd_; }

    std::string FileNameText() const override;
    void SetFileNameText(const std::string& text) override;
    std::string DigestText() const override;
    void SetDigestText(const std::string& text) override;
    std::string BrowseForFolder(const std::string& title, const std::string& startDir, std::int32_t flags) override;
    void ShowError(const std::string& message) override;
    void SetBusy(bool busy) override;
    void SetCaption(const std::string& text) override;
    void WaitFor(runtime::Job& job, const std::function<void()>& tick) override;
    std::function<std::string(std::size_t limit)> ClipboardReader() override;
    void ShowVerdict(const ShownVerdict& shown) override;
    void ShowInformation(const std::string& title, const std::string& text) override;
    void CloseLater() override;

    // The command line's arguments (without the program's name), after start-up.
    void OpenArguments(const std::vector<std::string>& arguments) { form_.OnArguments(arguments); }
    // Alt+Enter in either box asks for the verdict's details: taken from the message loop before
    // the dialog keys, and never translated, since its WM_SYSCHAR would ask the window's menu for
    // a '\r' and beep. True when it was that key.
    bool TakeDetailsKey(const MSG& message);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    bool OnCreate();
    void OnCommand(int id, int code);
    void OnDropFiles(HDROP drop);
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    void OnActivate(bool active);
    bool OnSetCursor();
    void OnClose();
    // False for input that a wait drops: keys but Escape (which cancels) and Alt+F4, mouse in
    // the client area, and drops. The title bar and the close box stay live.
    bool TakeDuringWait(const MSG& message);
    // The digest box's colours for the verdict shown (verdict_win32.cpp); null for the system's.
    HBRUSH OnCtlColorEdit(HDC dc, HWND control);
    HBRUSH TintBrush(unsigned rgb);  // made once per verdict: ShowVerdict drops it for another
    bool CreateVerdictTip();
    // The digest box's own part (digest_box_win32.cpp): the mark, a child at its right end kept
    // clear of the text by a margin, and the box's menu with the verdict's details.
    bool CreateVerdictMark();
    static LRESULT CALLBACK DigestBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                          DWORD_PTR self);
    void PlaceVerdictMark();
    void DrawVerdictMark(const DRAWITEMSTRUCT& item);
    void ShowDigestBoxMenu(LPARAM where);

    void Layout(UINT dpi);
    HWND Control(int id) const { return ::GetDlgItem(hwnd_, id); }

    HINSTANCE instance_;
    HWND hwnd_ = nullptr;
    HWND lastFocus_ = nullptr;
    UniqueFont font_;
    bool busy_ = false;
    HCURSOR cursorBeforeBusy_ = nullptr;
    runtime::win32::UniqueHandle jobSettled_;  // set when the job finishes or is cancelled; wakes a wait at once
    verify::Verdict verdict_ = verify::Verdict::kNone;
    UniqueBrush verdictBrush_;
    HWND verdictTip_ = nullptr;  // destroyed with the window, which owns it
    bool tipHasTool_ = false;
    frmMain form_;
};

}  // namespace window::win32
