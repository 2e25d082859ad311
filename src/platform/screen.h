// Screen metrics: size in twips, the monitors, the pixel-to-twip factors, scroll-bar sizes in
// pixels.
#pragma once

#include <vector>

namespace platform {

// A monitor's area in twips, measured from the desktop's top-left corner, where the main
// window starts.
struct Monitor {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool primary = false;  // the one the desktop marks primary; none may be
};

class Screen {
 public:
  virtual ~Screen() = default;
  // The smallest rectangle holding every monitor (the area the main window covers).
  virtual int width() const = 0;   // twips
  virtual int height() const = 0;  // twips
  // Rules:
  // - every monitor lies within width() x height(); parts of that area may show nothing;
  // - the list may be empty (no monitor is known): the whole area then counts as one.
  virtual std::vector<Monitor> monitors() const = 0;
  // Device pixels per twips-pixel (2 on a screen scaled to 200 %): a picture pixel is drawn as
  // one device pixel, so it takes 1/ratio of a pixel's twips.
  virtual double devicePixelRatio() const = 0;
  virtual int twipsPerPixelX() const = 0;
  virtual int twipsPerPixelY() const = 0;
  virtual int verticalScrollBarWidth() const = 0;     // pixels
  virtual int horizontalScrollBarHeight() const = 0;  // pixels
};

}  // namespace platform
