// QtScreen: the desktop in twips (15 per logical pixel): every monitor, their bounding box,
// the scale, and the style's scroll-bar extent. A screen-saver host window can stand in for
// the screen.
//
// [X] size, twips-per-pixel factors, scroll-bar sizes
// [X] several monitors: each one, and their bounding box (on X11; Wayland gives one output)
// [X] the primary mark as the desktop sets it (Qt names the first monitor when none is set)
// [X] a host window (screen-saver mode): the monitors' parts inside it, or itself as one
// [X] the device-pixel ratio of the primary monitor
// [ ] per-screen factors on mixed-DPI desktops (logical pixels are used throughout)
#pragma once

#include <QRect>
#include <optional>

#include "platform/screen.h"

namespace desktop {

class QtScreen : public platform::Screen {
 public:
  static constexpr int kTwipsPerPixel = 15;

  int width() const override;
  int height() const override;
  std::vector<platform::Monitor> monitors() const override;
  double devicePixelRatio() const override;
  int twipsPerPixelX() const override { return kTwipsPerPixel; }
  int twipsPerPixelY() const override { return kTwipsPerPixel; }
  int verticalScrollBarWidth() const override;
  int horizontalScrollBarHeight() const override;

  // The foreign window the program covers instead of the desktop: its place on the root
  // window and its size, in device pixels.
  void setOverride(QRect devicePixels) { override_ = devicePixels; }
  QSize pixelSize() const;
  // The covered area's top-left corner on the desktop, in logical pixels.
  QPoint origin() const;
  // More than one monitor, covered as one area.
  static bool spansMonitors();

 private:
  std::optional<QRect> override_;
};

}  // namespace desktop
