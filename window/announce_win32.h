// Says a text to screen readers through UI Automation, where the system can (Windows 10 1709 and
// later); elsewhere it says nothing, quietly.
#pragma once

#include <string>

#include "runtime/system_win32.h"

namespace window::win32 {

// A notification raised on the window, which a screen reader speaks whatever has the focus.
void Announce(HWND window, const std::string& text);

}  // namespace window::win32
