// The file-system path of one of the shell's special folders.
#pragma once

#include <cstdint>
#include <string>

namespace modSpecialFolders {

// The shell's folder id of the personal documents folder (CSIDL_PERSONAL), prefixed so
// that it never meets the shell header's macro.
constexpr std::int32_t kCsidlPersonal = 5;

// The folder's full path, or "" when the system gives none. Asks afresh on every call.
std::string GetSpecialFolder(std::int32_t folderId);

}  // namespace modSpecialFolders
