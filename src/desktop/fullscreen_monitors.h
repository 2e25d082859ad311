// Full screen over every monitor on X11: asks the window manager (EWMH
// _NET_WM_FULLSCREEN_MONITORS) to stretch a full-screen window from the topmost to the
// bottommost and from the leftmost to the rightmost monitor. A window manager that ignores the
// request leaves the window on one monitor's full screen; the caller's geometry covers the rest.
#pragma once

#include <QList>
#include <QRect>
#include <array>

class QWidget;

namespace desktop {

// The hint's four monitors, by their place in the list: the topmost, the bottommost, the
// leftmost and the rightmost (the first of those level). All 0 for an empty list.
std::array<int, 4> fullScreenMonitorEdges(const QList<QRect>& monitors);

// Sets the hint on a top-level window and, once it is shown, asks for it; false off X11 or
// without Xinerama.
bool requestFullScreenOverMonitors(QWidget& window);

}  // namespace desktop
