#include "desktop/qt_picture_box.h"

#include <QMouseEvent>
#include <QPainter>

#include "desktop/guarded_call.h"
#include "desktop/mouse_buttons.h"

namespace desktop {
namespace {

QPixmap loadPicture(platform::Picture picture) {
  switch (picture) {
    case platform::Picture::LogoIn:
      return QPixmap(QStringLiteral(":/quorel/logo_in.jpg"));
    case platform::Picture::LogoOut:
      return QPixmap(QStringLiteral(":/quorel/logo_out.jpg"));
    case platform::Picture::None:
      break;
  }
  return {};
}

}  // namespace

PictureWidget::PictureWidget(QWidget* parent) : QWidget(parent) {
  QPalette black = palette();
  black.setColor(QPalette::Window, Qt::black);
  setPalette(black);
  setAutoFillBackground(true);
}

void PictureWidget::showPicture(platform::Picture picture) {
  if (picture == picture_) return;
  picture_ = picture;
  pixmap_ = loadPicture(picture);
  update();
}

void PictureWidget::paintEvent(QPaintEvent*) {
  if (pixmap_.isNull()) return;
  QPainter painter(this);
  painter.drawPixmap(0, 0, pixmap_);  // at the top-left, unscaled, clipped by the box
}

void PictureWidget::mousePressEvent(QMouseEvent* event) {
  event->accept();  // the window's bare surface must not see presses on a picture box
  guardedCall("picture MouseDown", onMouseDown, buttonNumber(event->button()));
}

void PictureWidget::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  const QPointer<PictureWidget> self(this);
  guardedCall("picture MouseUp", onMouseUp, buttonNumber(event->button()));
  if (self && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
    guardedCall("picture Click", onClick);
}

}  // namespace desktop
