// Screen metrics: size in twips, the pixel-to-twip factors, scroll-bar sizes in pixels.
#pragma once

namespace platform {

class Screen {
 public:
  virtual ~Screen() = default;
  virtual int width() const = 0;   // twips
  virtual int height() const = 0;  // twips
  virtual int twipsPerPixelX() const = 0;
  virtual int twipsPerPixelY() const = 0;
  virtual int verticalScrollBarWidth() const = 0;     // pixels
  virtual int horizontalScrollBarHeight() const = 0;  // pixels
};

}  // namespace platform
