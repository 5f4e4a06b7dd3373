#include "shell/modSpecialFolders.h"
#include "shell/shell_win32.h"

namespace modSpecialFolders {

std::string GetSpecialFolder(std::int32_t folderId) {
    // The owner argument is reserved; the fixed 100 names no window of ours.
    const HWND owner = reinterpret_cast<HWND>(static_cast<INT_PTR>(100));
    shell::win32::UniqueItemList item;
    if (::SHGetSpecialFolderLocation(owner, folderId, item.Out()) != S_OK) return "";
    return runtime::win32::Narrow(shell::win32::PathOf(item.Get()));
}

}  // namespace modSpecialFolders
