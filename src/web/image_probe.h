// Image sizes from the first bytes: QImageReader on whatever has arrived, so a probe stops
// as soon as the header is in; and full decoding for display.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>

namespace web {

class Engine;
class Fetch;

// The size a (possibly partial) image declares; invalid until its header is complete or
// when the bytes are no image. Quiet: image plug-ins' complaints about short data are muted.
QSize imageSizeOf(const QByteArray& bytes);
// The same, as the picture will be shown: turned as its EXIF orientation says.
QSize shownSizeOf(const QByteArray& bytes);
// What a picture's header says: its format (as webImageFormatOf), its size as stored and as
// shown, and whether its EXIF orientation turns or flips it. An invalid size when unknown.
struct PictureHeader {
  QByteArray format;
  QSize size;
  QSize shownSize;
  bool turned = false;
};
PictureHeader readPictureHeader(const QByteArray& bytes);
// Decodes a picture whose header declares at most maxPixels; a null image otherwise, or when
// the data is broken. No pixel is decoded before the header's size has been checked.
QImage decodeImage(const QByteArray& bytes, qint64 maxPixels);
// The bytes start like a JPEG, PNG, GIF, BMP, WebP or icon image.
bool isWebImage(const QByteArray& bytes);
// Which of those: "jpeg", "png", "gif", "bmp", "webp" or "ico"; empty for anything else.
QByteArray webImageFormatOf(const QByteArray& bytes);

// Reads just enough of one image to learn its size, then stores it in the engine's cache
// (0x0 when it cannot be learned). done() always follows from the event loop.
class SizeProbe : public QObject {
  Q_OBJECT
 public:
  SizeProbe(Engine& engine, const QString& address, QObject* parent = nullptr);
  void start();
  QSize size() const { return size_; }
  qint64 bytesRead() const { return bytesRead_; }

 signals:
  void done();

 private:
  void fetch(bool firstBytesOnly);
  void finished();

  Engine& engine_;
  QString address_;
  QSize size_{0, 0};
  Fetch* fetch_ = nullptr;
  bool ranged_ = false;
  qsizetype triedAt_ = 0;
  qint64 bytesRead_ = 0;
};

}  // namespace web
