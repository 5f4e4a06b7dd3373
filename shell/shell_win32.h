// What the Win32 shell services share: the owner of an item identifier list, and its path.
#pragma once

#include <objbase.h>
#include <shlobj.h>

#include <string>

#include "runtime/system_win32.h"

namespace shell::win32 {

// An item identifier list from the shell, freed with the task allocator.
using UniqueItemList = runtime::UniqueResource<PIDLIST_ABSOLUTE, &::CoTaskMemFree>;

// The file-system path of the item, at any length, or "" when it has none.
std::wstring PathOf(PCIDLIST_ABSOLUTE item);

}  // namespace shell::win32
