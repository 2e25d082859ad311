#include "web/visible_images.h"

#include <QPainter>
#include <QTextFormat>

namespace web {

VisibleImages::VisibleImages(Sources sources, QObject* parent)
    : QObject(parent), sources_(std::move(sources)) {}

VisibleImages::Entry* VisibleImages::entry(const QString& name) {
  auto found = entries_.find(name);
  if (found == entries_.end()) {
    const QImage image = sources_.picture(name);
    if (image.isNull()) return nullptr;  // asked again once the picture has come
    found = entries_.insert(name, Entry{image.size(), image, image.rect(), true});
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
  if (needed != e->area) {
    if (e->area.contains(needed)) {
      e->part = e->part.copy(needed.translated(-e->area.topLeft()));
      e->area = needed;
    } else {
      const QImage full = sources_.picture(name);
      if (full.size() == e->full) {
        e->part = needed == full.rect() ? full : full.copy(needed);
        e->area = needed;
        e->cut = true;
      }
      // Otherwise the picture is on its way again: draw what is kept meanwhile.
    }
  }
  const QRectF target(rect.x() + e->area.x() / sx, rect.y() + e->area.y() / sy,
                      e->area.width() / sx, e->area.height() / sy);
  painter->drawImage(target, e->part);
  if (e->cut && e->area.contains(needed) && sources_.drawn) {
    e->cut = false;
    sources_.drawn(name);
  }
}

void VisibleImages::keepOnly(const QSet<QString>& names) {
  entries_.removeIf([&names](const auto& entry) { return !names.contains(entry.key()); });
}

void VisibleImages::dropPixels() {
  for (Entry& e : entries_) {
    e.part = QImage();
    e.area = QRect();
  }
}

QRect VisibleImages::keptPart(const QString& name) const {
  const auto found = entries_.constFind(name);
  return found == entries_.constEnd() || found->part.isNull() ? QRect() : found->area;
}

}  // namespace web
