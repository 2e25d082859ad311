// The display's image drawing: each image keeps only the pixels that can ever be seen (the part
// of it inside the view, its parents and the window), so a wallpaper larger than the screen,
// placed half off it, costs no more than the part on screen. The full picture comes from the
// engine's cache when a part has to be cut again. Replaces Qt's own image handler, which would
// also fall back to reading a local file named like the image.
#pragma once

#include <QHash>
#include <QImage>
#include <QObject>
#include <QRect>
#include <QSet>
#include <QTextObjectInterface>
#include <functional>

namespace web {

class VisibleImages : public QObject, public QTextObjectInterface {
  Q_OBJECT
  Q_INTERFACES(QTextObjectInterface)
 public:
  // source: the full picture for an image name, or a null image while it is not at hand.
  // reachable: the document area that can ever be seen, in document coordinates.
  VisibleImages(std::function<QImage(const QString& name)> source, std::function<QRectF()> reachable,
                QObject* parent = nullptr);

  QSizeF intrinsicSize(QTextDocument* doc, int position, const QTextFormat& format) override;
  void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* doc, int position,
                  const QTextFormat& format) override;

  // Forgets every image but these: those of the document now shown.
  void keepOnly(const QSet<QString>& names);
  // The pixels held for an image name (image coordinates), empty when none.
  QRect keptPart(const QString& name) const;

 private:
  struct Entry {
    QSize full;
    QImage part;     // the pixels of `area` only
    QRect area;      // in the full picture's coordinates
  };
  Entry* entry(const QString& name);

  std::function<QImage(const QString&)> source_;
  std::function<QRectF()> reachable_;
  QHash<QString, Entry> entries_;
};

}  // namespace web
