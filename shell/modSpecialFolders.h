// The file-system path of one of the shell's special folders.
#pragma once

#include <cstdint>
#include <string>

namespace modSpecialFolders {

constexpr std::int32_t CSIDL_PERSONAL = 5;

// The folder's full path, or "" when the system gives none. Asks afresh on every call.
std::string GetSpecialFolder(std::int32_t folderId);

}  // namespace modSpecialFolders
