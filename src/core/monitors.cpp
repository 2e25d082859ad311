#include "core/monitors.h"

#include <algorithm>
#include <cstdint>

#include "core/vb_text.h"

namespace {

using platform::Monitor;

std::int64_t Overlap(const Monitor& m, int left, int top, int width, int height) {
  const std::int64_t w =
      std::min<std::int64_t>(std::int64_t{m.left} + m.width, std::int64_t{left} + width) -
      std::max(m.left, left);
  const std::int64_t h =
      std::min<std::int64_t>(std::int64_t{m.top} + m.height, std::int64_t{top} + height) -
      std::max(m.top, top);
  return w > 0 && h > 0 ? w * h : 0;
}

bool Holds(const Monitor& m, int left, int top, int width, int height) {
  return left >= m.left && top >= m.top &&
         std::int64_t{left} + width <= std::int64_t{m.left} + m.width &&
         std::int64_t{top} + height <= std::int64_t{m.top} + m.height;
}

// Where a panel of `size` starts on a monitor's axis, kept inside it when it fits.
int Within(int start, int size, int monitorStart, int monitorSize) {
  if (size > monitorSize) return monitorStart;
  return std::clamp(start, monitorStart, monitorStart + monitorSize - size);
}

const Monitor& MostShown(const std::vector<Monitor>& monitors, int width, int height) {
  auto shown = [&](const Monitor& m) {
    return std::int64_t{std::min(width, m.width)} * std::min(height, m.height);
  };
  return *std::max_element(monitors.begin(), monitors.end(),
                           [&](const Monitor& a, const Monitor& b) { return shown(a) < shown(b); });
}

// The monitor showing most of a rectangle, or null when none shows any of it.
const Monitor* MostOverlapped(const std::vector<Monitor>& monitors, int left, int top, int width,
                              int height) {
  const Monitor* most = nullptr;
  std::int64_t mostArea = 0;
  for (const Monitor& m : monitors) {
    const std::int64_t area = Overlap(m, left, top, width, height);
    if (area > mostArea) {
      most = &m;
      mostArea = area;
    }
  }
  return most;
}

}  // namespace

std::vector<Monitor> Monitors(const platform::Screen& screen) {
  std::vector<Monitor> kept;
  for (const Monitor& m : screen.monitors()) {
    if (m.width <= 0 || m.height <= 0) continue;
    const auto same = std::find_if(kept.begin(), kept.end(), [&m](const Monitor& k) {
      return k.left == m.left && k.top == m.top && k.width == m.width && k.height == m.height;
    });
    if (same == kept.end())
      kept.push_back(m);
    else
      same->primary = same->primary || m.primary;
  }
  if (kept.empty()) kept.push_back({0, 0, screen.width(), screen.height(), true});
  return kept;
}

Monitor PrimaryMonitor(const platform::Screen& screen) {
  const std::vector<Monitor> monitors = Monitors(screen);
  for (const Monitor& m : monitors)
    if (m.primary) return m;
  return MostShown(monitors, screen.width(), screen.height());
}

Monitor StripArea(const platform::Screen& screen, const platform::Control& window) {
  const Monitor p = PrimaryMonitor(screen);
  const int left = std::max(p.left, window.left());
  const int top = std::max(p.top, window.top());
  const int right = std::min(p.left + p.width, window.left() + window.width());
  const int bottom = std::min(p.top + p.height, window.top() + window.height());
  if (right <= left || bottom <= top) return {0, 0, window.width(), window.height(), true};
  return {left - window.left(), top - window.top(), right - left, bottom - top, true};
}

Monitor MonitorOf(const platform::Screen& screen, int left, int top, int width, int height) {
  const std::vector<Monitor> monitors = Monitors(screen);
  const Monitor* most = MostOverlapped(monitors, left, top, width, height);
  return most ? *most : PrimaryMonitor(screen);
}

Corner PanelCorner(const platform::Screen& screen, double r1, double r2, int width, int height) {
  const std::vector<Monitor> monitors = Monitors(screen);
  std::vector<Monitor> fits;
  double freeWidth = 0;
  for (const Monitor& m : monitors) {
    if (m.width < width || m.height < height) continue;
    fits.push_back(m);
    freeWidth += m.width - width;
  }
  if (fits.empty()) {
    const Monitor& m = MostShown(monitors, width, height);
    return {m.left, m.top};
  }

  double x = r1 * freeWidth;
  const Monitor* chosen = &fits.back();
  if (freeWidth <= 0) {
    // Every one is exactly as wide as the panel: the draw picks one of them.
    chosen = &fits[std::min(fits.size() - 1, static_cast<std::size_t>(r1 * fits.size()))];
    x = 0;
  } else {
    for (const Monitor& m : fits) {
      if (x < m.width - width) {
        chosen = &m;
        break;
      }
      x -= m.width - width;
    }
    x = std::min(x, static_cast<double>(chosen->width - width));
  }
  return {chosen->left + vb::CLng(x),
          chosen->top + vb::CLng(r2 * (static_cast<double>(chosen->height) - height))};
}

std::optional<Corner> PanelHome(const platform::Screen& screen, int left, int top, int width,
                                int height) {
  const std::vector<Monitor> monitors = Monitors(screen);
  for (const Monitor& m : monitors)
    if (Holds(m, left, top, width, height)) return Corner{left, top};
  const Monitor* most = MostOverlapped(monitors, left, top, width, height);
  if (!most) return std::nullopt;
  return Corner{Within(left, width, most->left, most->width),
                Within(top, height, most->top, most->height)};
}
