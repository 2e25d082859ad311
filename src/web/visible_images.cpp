#include "web/visible_images.h"

#include <QPainter>
#include <QTextFormat>

namespace web {

VisibleImages::VisibleImages(Sources sources, QObject* parent)
    : QObject(parent), sources_(std::move(sources)) {}

VisibleImages::Entry* VisibleImages::entry(const QString& name) {
  auto found = entries_.find(name);
  if (found == entries_.end()) {
    const QSize size = sources_.size(name);
    if (!size.isValid() || size.isEmpty()) return nullptr;  // asked again once it is known
    found = entries_.insert(name, Entry{size, {}, {}, {}, false});
  }
  return &*found;
}

QSizeF VisibleImages::intrinsicSize(QTextDocument*, int, const QTextFormat& format) {
  const QTextImageFormat image = format.toImageFormat();
  const bool hasWidth = image.hasProperty(QTextFormat::ImageWidth);
  const bool hasHeight = image.hasProperty(QTextFormat::ImageHeight);
  if (hasWidth && hasHeight) return {image.width(), image.height()};
  const Entry* e = entry(image.name());
  if (!e || e->full.isEmpty())
    return {hasWidth ? image.width() : 0.0, hasHeight ? image.height() : 0.0};
  // One picture pixel to one device pixel: never resampled, however the screen is scaled.
  const double ratio = sources_.ratio ? sources_.ratio() : 1.0;
  const QSizeF full = QSizeF(e->full) / (ratio > 0 ? ratio : 1.0);
  // One dimension given: the other keeps the picture's proportions.
  if (hasWidth) return {image.width(), image.width() * full.height() / full.width()};
  if (hasHeight) return {image.height() * full.width() / full.height(), image.height()};
  return full;
}

void VisibleImages::drawObject(QPainter* painter, const QRectF& rect, QTextDocument*, int,
                               const QTextFormat& format) {
  const QString name = format.toImageFormat().name();
  Entry* e = entry(name);
  if (!e || rect.isEmpty()) return;
  const QRectF shown = rect & sources_.reachable();
  if (shown.isEmpty()) return;

  // What can be seen, in the picture's own pixels (it may be drawn scaled).
  const double sx = e->full.width() / rect.width();
  const double sy = e->full.height() / rect.height();
  const QRect needed = QRectF((shown.x() - rect.x()) * sx, (shown.y() - rect.y()) * sy,
                              shown.width() * sx, shown.height() * sy)
                           .toAlignedRect() &
                       QRect(QPoint(), e->full);
  if (needed.isEmpty()) return;
  if (!e->area.contains(needed)) {
    ask(name, *e, needed);  // meanwhile what is kept is drawn
  } else if (needed != e->area) {
    e->part = e->part.copy(needed.translated(-e->area.topLeft()));
    e->area = needed;
  }
  if (e->part.isNull()) return;
  const QRectF target(rect.x() + e->area.x() / sx, rect.y() + e->area.y() / sy,
                      e->area.width() / sx, e->area.height() / sy);
  // Only the pixels being painted: Qt's raster engine turns the whole image it is given into
  // the screen's format on every draw, and a panel is painted again for any small change under
  // or beside it (the clock strip, every second). Drawn one to one, the cut is exact.
  if (sx == 1.0 && sy == 1.0 && painter->hasClipping()) {
    const QRectF painted = target & painter->clipBoundingRect();
    const QRect cut = QRectF(painted.topLeft() - target.topLeft(), painted.size()).toAlignedRect() &
                      e->part.rect();
    if (cut.isEmpty()) return;
    if (cut != e->part.rect()) {
      painter->drawImage(QRectF(target.topLeft() + cut.topLeft(), cut.size()), e->part.copy(cut));
      return;
    }
  }
  painter->drawImage(target, e->part);
}

void VisibleImages::ask(const QString& name, Entry& e, const QRect& needed) {
  if (e.failed || e.asked == needed) return;
  e.asked = needed;
  sources_.decode(name, needed, [this, name, needed](const QImage& pixels) {
    const auto found = entries_.find(name);
    if (found == entries_.end() || found->asked != needed) return;  // let go, or asked anew
    found->asked = QRect();
    if (pixels.size() != needed.size()) {
      found->failed = true;  // not asked again: the view shows what it has
      return;
    }
    found->part = pixels;
    found->area = needed;
    if (sources_.drawn) sources_.drawn(name);
    if (sources_.changed) sources_.changed();
  });
}

void VisibleImages::keepOnly(const QSet<QString>& names) {
  entries_.removeIf([&names](const auto& entry) { return !names.contains(entry.key()); });
}

void VisibleImages::dropPixels() {
  for (Entry& e : entries_) {
    e.part = QImage();
    e.area = QRect();
    e.asked = QRect();
  }
}

QRect VisibleImages::keptPart(const QString& name) const {
  const auto found = entries_.constFind(name);
  return found == entries_.constEnd() || found->part.isNull() ? QRect() : found->area;
}

}  // namespace web
