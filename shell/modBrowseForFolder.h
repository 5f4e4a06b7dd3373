// The modal browse dialog that lists folders and files and returns the chosen item's path.
#pragma once

#include <cstdint>
#include <string>

namespace modBrowseForFolder {

// Flag bits of the dialog.
constexpr std::int32_t BIF_RETURNONLYFSDIRS = 0x0001;
constexpr std::int32_t BIF_DONTGOBELOWDOMAIN = 0x0002;
constexpr std::int32_t BIF_STATUSTEXT = 0x0004;
constexpr std::int32_t BIF_NEWDIALOGSTYLE = 0x0040;
constexpr std::int32_t BIF_BROWSEINCLUDEFILES = 0x4000;

// Messages the dialog sends its callback.
constexpr unsigned BFFM_INITIALIZED = 1;
constexpr unsigned BFFM_SELCHANGED = 2;

// `owner` is the platform's handle of the owning window (an HWND, or a QWidget*).
// Returns the full path of the chosen item, or "" when the dialog was cancelled.
std::string BrowseForFolder(void* owner, const std::string& title, const std::string& startDir, std::int32_t flags);

}  // namespace modBrowseForFolder
