#include "desktop/qt_screen.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>

namespace desktop {

QSize QtScreen::pixelSize() const {
  if (override_) return *override_;
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->geometry().size() : QSize(1024, 768);
}

int QtScreen::width() const { return pixelSize().width() * kTwipsPerPixel; }
int QtScreen::height() const { return pixelSize().height() * kTwipsPerPixel; }

int QtScreen::verticalScrollBarWidth() const {
  return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

int QtScreen::horizontalScrollBarHeight() const {
  return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

}  // namespace desktop
