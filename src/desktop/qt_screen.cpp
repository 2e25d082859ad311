#include "desktop/qt_screen.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>

namespace desktop {

QSize QtScreen::pixelSize() const {
  if (override_) return *override_;
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return {1024, 768};
  // Every monitor of the desktop (X11's root window starts at 0,0); a Wayland window cannot
  // place itself, so there it fills one output.
  return spansMonitors() ? screen->virtualGeometry().size() : screen->geometry().size();
}

bool QtScreen::spansMonitors() {
  return QGuiApplication::screens().size() > 1 &&
         QGuiApplication::platformName() != QLatin1String("wayland");
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
