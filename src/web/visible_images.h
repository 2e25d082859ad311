// The display's image drawing: each image keeps only the pixels that can ever be seen (the part
// of it inside the view, its parents and the window), so a wallpaper larger than the screen,
// placed half off it, costs no more than the part on screen. Only that part is ever decoded:
// the panel's place is known at its first paint, which asks for the part off the UI thread
// and draws it when it comes; a part that grows later is decoded again. Replaces Qt's own
// image handler, which would also fall back to reading a local file named like the image.
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
    // The picture's size as shown, or an invalid size while it is not known (asked again).
    std::function<QSize(const QString& name)> size;
    // Decodes a part of the picture (in its shown coordinates); done(pixels) from the event
    // loop while this object lives, null pixels when the picture would not decode.
    std::function<void(const QString& name, const QRect& part,
                       std::function<void(const QImage& pixels)> done)>
        decode;
    // The document area that can ever be seen, in document coordinates.
    std::function<QRectF()> reachable;
    // An image's part is decoded: the picture itself is no longer needed.
    std::function<void(const QString& name)> drawn;
    // Device pixels per layout pixel: a picture pixel is laid out as one device pixel.
    std::function<double()> ratio;
    // Pixels have come: the view is painted again.
    std::function<void()> changed;
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
    QImage part;  // the pixels of `area` only
    QRect area;   // in the full picture's coordinates
    QRect asked;  // being decoded
    bool failed = false;
  };
  Entry* entry(const QString& name);
  void ask(const QString& name, Entry& entry, const QRect& needed);

  Sources sources_;
  QHash<QString, Entry> entries_;
};

}  // namespace web
