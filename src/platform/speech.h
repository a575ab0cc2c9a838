#pragma once

// What the game says to a screen reader that follows the system's own accessibility events
// rather than the toolkit's. Free of Qt.

#include <cstdint>
#include <string_view>

namespace sorvane::platform {

// Raises `text` as a notification that a screen reader speaks once, on the top-level window
// `nativeWindow` (an HWND on Windows). On Windows it is a UI Automation notification, which
// NVDA, Narrator and JAWS speak whatever has the focus; Windows before 10 1709 has none, and
// there nothing is raised. Elsewhere the toolkit's own accessibility objects already speak,
// and nothing is raised either. True when the system took the notification; false when it was
// not raised (no such notifications, no window, an empty text) or the system refused it.
bool raiseNotification(std::intptr_t nativeWindow, std::u16string_view text);

} // namespace sorvane::platform
