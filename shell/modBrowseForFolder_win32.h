// The shell's browse dialog, owned by a Win32 window.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/system_win32.h"
#include "shell/modBrowseForFolder.h"

namespace modBrowseForFolder {

// The full path of the chosen item, or "" when the dialog was cancelled.
std::string BrowseForFolder(HWND owner, const std::string& title, const std::string& startDir, std::int32_t flags);

}  // namespace modBrowseForFolder
