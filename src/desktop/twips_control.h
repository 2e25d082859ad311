// TwipsControl: lets the logic place any QWidget in twips (its geometry, visibility, stacking
// and container), converting with the screen's twips-per-pixel factors.
//
// [X] left/top/width/height/move in twips; reads keep the exact twips last set
// [X] negative width or height: run-time failure 5, as the layout code expects
// [X] visibility as set (not as shown), raise/lower, re-parenting into another control
#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>

#include "platform/control.h"
#include "platform/screen.h"

namespace desktop {

class TwipsControl : public virtual platform::Control {
 public:
  TwipsControl(QWidget& widget, const platform::Screen& screen);

  QWidget* widget() const { return widget_; }

  int left() const override;
  int top() const override;
  int width() const override;
  int height() const override;
  void setLeft(int twips) override;
  void setTop(int twips) override;
  void setWidth(int twips) override;
  void setHeight(int twips) override;
  void move(int left, int top, int width, int height) override;

  bool visible() const override { return visible_; }
  void setVisible(bool visible) override;
  void zOrder(int position) override;
  void setContainer(platform::Control& container) override;

 protected:
  // Applies geometry in pixels; the main window overrides it for its own placement rules.
  virtual void applyGeometry(const QRect& pixels);
  int toPixelsX(int twips) const;
  int toPixelsY(int twips) const;

 private:
  struct Twips {
    int left = 0, top = 0, width = 0, height = 0;
  };
  // What was last set, unless the widget has since been moved or resized by someone else
  // (the window manager, auto-size), then what it shows.
  Twips current() const;
  QRect pixelsFor(const Twips& twips) const;
  void place(const Twips& twips);
  void setOne(int Twips::*field, int value);

  QPointer<QWidget> widget_;
  const platform::Screen& screen_;
  Twips twips_;
  bool visible_ = true;
};

}  // namespace desktop
