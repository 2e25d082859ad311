#include "desktop/qt_screen.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>

namespace desktop {
namespace {

QRect logical(const QRect& device, double ratio) {
  return QRectF(QPointF(device.topLeft()) / ratio, QSizeF(device.size()) / ratio).toRect();
}

// Every monitor, in logical pixels on the desktop; a window on Wayland cannot place itself, so
// there it is one output.
QList<QRect> monitorAreas() {
  const QScreen* primary = QGuiApplication::primaryScreen();
  if (!primary) return {};
  if (!QtScreen::spansMonitors()) return {primary->geometry()};
  QList<QRect> areas;
  for (const QScreen* screen : QGuiApplication::screens()) areas.append(screen->geometry());
  return areas;
}

QRect covered(const std::optional<QRect>& override, double ratio) {
  if (override) return logical(*override, ratio);
  const QScreen* primary = QGuiApplication::primaryScreen();
  if (!primary) return {0, 0, 1024, 768};
  return QtScreen::spansMonitors() ? primary->virtualGeometry() : primary->geometry();
}

}  // namespace

QSize QtScreen::pixelSize() const { return covered(override_, devicePixelRatio()).size(); }

QPoint QtScreen::origin() const { return covered(override_, devicePixelRatio()).topLeft(); }

bool QtScreen::spansMonitors() {
  return QGuiApplication::screens().size() > 1 &&
         QGuiApplication::platformName() != QLatin1String("wayland");
}

std::vector<platform::Monitor> QtScreen::monitors() const {
  const QRect area = covered(override_, devicePixelRatio());
  const QScreen* primary = QGuiApplication::primaryScreen();
  const QRect primaryArea = primary ? primary->geometry() : QRect();
  std::vector<platform::Monitor> monitors;
  for (const QRect& monitor : monitorAreas()) {
    // A host window holds the parts of the monitors it covers.
    const QRect shown = (monitor & area).translated(-area.topLeft());
    if (shown.isEmpty()) continue;
    monitors.push_back({shown.x() * kTwipsPerPixel, shown.y() * kTwipsPerPixel,
                        shown.width() * kTwipsPerPixel, shown.height() * kTwipsPerPixel,
                        monitor == primaryArea});
  }
  return monitors;
}

double QtScreen::devicePixelRatio() const {
  const QScreen* primary = QGuiApplication::primaryScreen();
  return primary ? primary->devicePixelRatio() : 1.0;
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
