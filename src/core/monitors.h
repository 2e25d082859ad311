// Where things go on a desktop of several monitors, which may differ in size, leave parts of
// the window's area unseen, or come and go. All in twips, from the desktop's top-left corner.
#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "platform/control.h"
#include "platform/screen.h"

using Corner = std::pair<int, int>;  // left, top

// The screen's monitors, never none (the whole screen stands in), a mirrored one once.
std::vector<platform::Monitor> Monitors(const platform::Screen& screen);
// The one marked primary; the largest (the first of equals) when none is.
platform::Monitor PrimaryMonitor(const platform::Screen& screen);
// The primary monitor's part of the window, in the window's own coordinates: where the bottom
// strip goes. The whole window when the two do not meet.
platform::Monitor StripArea(const platform::Screen& screen, const platform::Control& window);
// The monitor showing most of a rectangle; the primary when none shows any of it.
platform::Monitor MonitorOf(const platform::Screen& screen, int left, int top, int width,
                            int height);
// A width x height panel's top-left corner for two draws in [0, 1). A panel that fits on a
// monitor lies wholly on one: the first draw runs along the monitors' free widths side by
// side, the second down the chosen one's free height. One larger than every monitor starts at
// the top-left corner of the monitor that shows most of it.
Corner PanelCorner(const platform::Screen& screen, double r1, double r2, int width, int height);
// After the monitors changed: where a panel goes so that it lies on the monitor showing most of
// it (pushed in from its edges, or at its top-left corner when larger); nothing when no monitor
// shows any of it.
std::optional<Corner> PanelHome(const platform::Screen& screen, int left, int top, int width,
                                int height);
