// The modal browse dialog that lists folders and files and returns the chosen item's path.
// Each platform declares BrowseForFolder for its own kind of owner window:
// modBrowseForFolder_win32.h (an HWND) and modBrowseForFolder_qt.h (a QWidget).
#pragma once

#include <cstdint>

namespace modBrowseForFolder {

// Flag bits of the dialog, with the shell's values; prefixed so that they never meet the
// shell header's macros of the same meaning.
constexpr std::int32_t kBifDontGoBelowDomain = 0x0002;
constexpr std::int32_t kBifStatusText = 0x0004;
constexpr std::int32_t kBifNewDialogStyle = 0x0040;
constexpr std::int32_t kBifBrowseIncludeFiles = 0x4000;

}  // namespace modBrowseForFolder
