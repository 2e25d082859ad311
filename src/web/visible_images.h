// The display's image drawing: each image keeps only the pixels that can ever be seen (the part
// of it inside the view, its parents and the window), so a wallpaper larger than the screen,
// placed half off it, costs no more than the part on screen. The full picture comes from the
// engine's cache (or fetched again) when a part has to be cut again. Replaces Qt's own image
// handler, which would also fall back to reading a local file named like the image.
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
  struct Sources {
    // The full picture for an image name, or a null image while it is not at hand.
    std::function<QImage(const QString& name)> picture;
    // The document area that can ever be seen, in document coordinates.
    std::function<QRectF()> reachable;
    // An image's part is cut and drawn: the full picture is no longer needed.
    std::function<void(const QString& name)> drawn;
    // Device pixels per layout pixel: a picture pixel is laid out as one device pixel.
    std::function<double()> ratio;
  };
  explicit VisibleImages(Sources sources, QObject* parent = nullptr);

  QSizeF intrinsicSize(QTextDocument* doc, int position, const QTextFormat& format) override;
  void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* doc, int position,
                  const QTextFormat& format) override;

  // Forgets every image but these: those of the document now shown.
  void keepOnly(const QSet<QString>& names);
  // Lets go of all pixels; they are cut again when next drawn.
  void dropPixels();
  // The pixels held for an image name (image coordinates), empty when none.
  QRect keptPart(const QString& name) const;

 private:
  struct Entry {
    QSize full;
    QImage part;       // the pixels of `area` only
    QRect area;        // in the full picture's coordinates
    bool cut = false;  // taken from the full picture, which is not yet let go
  };
  Entry* entry(const QString& name);

  Sources sources_;
  QHash<QString, Entry> entries_;
};

}  // namespace web
