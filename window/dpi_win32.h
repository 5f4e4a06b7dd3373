// The DPI a window is shown at, and what follows from it: pixels and the message font.
#pragma once

#include "runtime/system_win32.h"
#include "window/layout.h"

namespace window::win32 {

// The window's DPI where the system reports one per window, else the screen's, else 96.
UINT DpiOf(HWND window);

inline int TwipsToPixels(int twips, UINT dpi) {
    return layout::TwipsToPixels(twips, static_cast<int>(dpi));
}

// The outer size of a window whose client area is the given size, at that DPI.
SIZE WindowSizeFor(SIZE client, DWORD style, DWORD exStyle, UINT dpi);

// The system's message font at that DPI, owned by the caller; null when none could be made.
HFONT CreateMessageFont(UINT dpi);
using UniqueFont = runtime::UniqueResource<HFONT, &::DeleteObject>;

}  // namespace window::win32
