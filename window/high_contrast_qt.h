// Whether the desktop asks for high contrast. Qt 6.4 has no word for it, so the desktop's own
// setting is asked for through the XDG desktop portal.
#pragma once

#include <functional>

class QObject;

namespace window {

// Asks the portal's settings, without waiting, for org.freedesktop.appearance "contrast" (1:
// higher contrast) and GNOME's org.gnome.desktop.a11y.interface "high-contrast", and calls
// `answer` once both replies are in (true when either asks for it). Without a session bus, no
// answer comes; nor when `context` goes first.
void AskHighContrast(QObject* context, std::function<void(bool)> answer);

}  // namespace window
