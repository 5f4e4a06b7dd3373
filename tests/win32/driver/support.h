// What the Windows tests need around the program: throwaway folders, files, an independent
// MD5 (the system's CNG provider), the settings key, and windows found across processes.
#pragma once

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

#include "runtime/system_win32.h"

namespace testwin {

namespace fs = std::filesystem;

// A fresh folder under the user's temporary folder, removed with everything in it.
class TempTree {
public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;
    const fs::path& Path() const { return path_; }
    fs::path operator/(const std::wstring& name) const { return path_ / name; }

private:
    fs::path path_;
};

void WriteBytes(const fs::path& file, const std::string& bytes);
std::string ReadBytes(const fs::path& file);
// Some bytes that differ from file to file, so that every digest is a different one.
std::string SampleContent(std::size_t size, unsigned seed);

// Uppercase hex MD5 of the bytes, from the system's own provider.
std::string SystemMd5(const std::string& bytes);
// A module the tests load, such as the program as a data file, freed when done with.
using UniqueModule = runtime::UniqueResource<HMODULE, &::FreeLibrary>;
// The bytes of a resource of the module, or "" when it has none of that type, id and language.
std::string ResourceBytes(HMODULE module, const wchar_t* type, int id, WORD language);

// The program's own conversions between UTF-8 and the wide API's UTF-16.
using runtime::win32::Narrow;
using runtime::win32::Wide;
bool SameText(const std::wstring& a, const std::wstring& b);  // ignoring case
// The path without its trailing backslash, unless it is a root ("C:\\").
std::wstring WithoutTrailingSeparator(std::wstring path);
// The personal documents folder, as the shell gives it.
std::wstring DocumentsFolder();

// HKEY_CURRENT_USER\Software\Quorrel\Settings\QRL_Dir: set, or removed when `value` is null.
void SetInstallerDirectory(const wchar_t* value);

// Puts the text on the clipboard, from this process as another program would; "" empties it.
void SetClipboardText(const std::wstring& text);
// The colour on the screen at the point of the window (client coordinates) as 0xRRGGBB.
unsigned ScreenColourAt(HWND window, POINT point);

// Polls until the condition holds or the time is up; true when it held.
bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = std::chrono::seconds(10));

// A window's text; "" when its thread does not answer within ten seconds.
std::wstring WindowText(HWND window);
// The visible top-level window of that class that the process shows, or null.
HWND ShownWindowOf(DWORD processId, const wchar_t* windowClass);
// A dialog box ("#32770") owned by `owner`, or null.
HWND FindOwnedDialog(HWND owner);
// All texts of a dialog's static controls, joined by line breaks (a message box's message).
std::wstring DialogMessage(HWND dialog);

}  // namespace testwin
