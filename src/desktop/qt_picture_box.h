// QtPictureBox: a picture box as a plain widget: a black frame that clips the controls put
// into it and shows one of the logo's two pictures, with mouse events for the logo.
//
// [X] pictures from :/quorel/logo_in.jpg and logo_out.jpg (nothing drawn when missing)
// [X] press, release and click (left press and release inside) reported with button numbers
// [ ] borders (the collage's frames have none)
#pragma once

#include <QPixmap>
#include <QWidget>
#include <functional>

#include "desktop/twips_control.h"

namespace desktop {

class PictureWidget : public QWidget {
  Q_OBJECT
 public:
  explicit PictureWidget(QWidget* parent);
  void showPicture(platform::Picture picture);
  platform::Picture picture() const { return picture_; }

  std::function<void(int button)> onMouseDown;
  std::function<void(int button)> onMouseUp;
  std::function<void()> onClick;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  platform::Picture picture_ = platform::Picture::None;
  QPixmap pixmap_;
};

class QtPictureBox : public TwipsControl, public platform::PictureBox {
 public:
  QtPictureBox(PictureWidget& widget, const platform::Screen& screen)
      : TwipsControl(widget, screen), widget_(widget) {}
  platform::Picture picture() const override { return widget_.picture(); }
  void setPicture(platform::Picture picture) override { widget_.showPicture(picture); }
  PictureWidget& pictureWidget() { return widget_; }

 private:
  PictureWidget& widget_;
};

}  // namespace desktop
