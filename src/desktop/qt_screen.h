// QtScreen: the desktop's size in twips (15 per logical pixel), every monitor together, and
// the style's scroll-bar extent. A screen-saver host window can stand in for the screen.
//
// [X] size, twips-per-pixel factors, scroll-bar sizes
// [X] several monitors: their bounding box (on X11; Wayland gives one output)
// [X] an override size (the foreign window the program draws into)
// [ ] per-screen factors on mixed-DPI desktops (logical pixels are used throughout)
#pragma once

#include <QSize>
#include <optional>

#include "platform/screen.h"

namespace desktop {

class QtScreen : public platform::Screen {
 public:
  static constexpr int kTwipsPerPixel = 15;

  int width() const override;
  int height() const override;
  int twipsPerPixelX() const override { return kTwipsPerPixel; }
  int twipsPerPixelY() const override { return kTwipsPerPixel; }
  int verticalScrollBarWidth() const override;
  int horizontalScrollBarHeight() const override;

  // The area the program covers, in pixels, when it is not the primary screen.
  void setOverride(QSize pixels) { override_ = pixels; }
  QSize pixelSize() const;
  // More than one monitor, covered as one area.
  static bool spansMonitors();

 private:
  std::optional<QSize> override_;
};

}  // namespace desktop
