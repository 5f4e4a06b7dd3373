// The X clipboard read over a connection of its own, so that any thread may read it and an owner
// that does not answer holds up only the thread that asked.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace window::x11 {

// The X display the application's windows are on (its -display, else $DISPLAY).
std::string DisplayName();

// The text of the CLIPBOARD selection of the X display `display` ("" for $DISPLAY), as UTF-8;
// "" when there is none, when it holds more than `limit` bytes, or when its owner has not
// answered within `timeout`.
std::string ReadClipboardText(const std::string& display, std::size_t limit, std::chrono::milliseconds timeout);

}  // namespace window::x11
