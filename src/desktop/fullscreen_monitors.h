// Full screen over every monitor on X11: asks the window manager (EWMH
// _NET_WM_FULLSCREEN_MONITORS) to stretch a full-screen window from the topmost to the
// bottommost and from the leftmost to the rightmost monitor. A window manager that ignores the
// request leaves the window on one monitor's full screen; the caller's geometry covers the rest.
#pragma once

class QWidget;

namespace desktop {

// Sets the hint on a top-level window and, once it is shown, asks for it; false off X11 or
// without Xinerama.
bool requestFullScreenOverMonitors(QWidget& window);

}  // namespace desktop
