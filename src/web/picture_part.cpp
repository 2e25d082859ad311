#include "web/picture_part.h"

#include "web/image_probe.h"
#include "web/jpeg_part.h"
#include "web/png_part.h"

namespace web {
namespace {

// Opaque pictures at three bytes a pixel: what the panels hold all the time.
QImage compact(QImage image) {
  if (image.format() == QImage::Format_RGB32) image.convertTo(QImage::Format_RGB888);
  return image;
}

}  // namespace

QImage decodePicturePart(const QByteArray& bytes, const QRect& part, qint64 maxPixels) {
  const PictureHeader header = readPictureHeader(bytes);
  if (!header.size.isValid() || qint64(header.size.width()) * header.size.height() > maxPixels)
    return {};
  const QRect shown = part & QRect(QPoint(), header.shownSize);
  if (shown.isEmpty()) return {};
  if (!header.turned) {
    std::optional<QImage> cut;
    if (header.format == "png") cut = decodePngPart(bytes, shown);
    if (header.format == "jpeg") cut = decodeJpegPart(bytes, shown);
    if (cut) return *cut;
  }
  const QImage whole = decodeImage(bytes, maxPixels);
  if (whole.isNull()) return {};
  return compact(shown == whole.rect() ? whole : whole.copy(shown));
}

}  // namespace web
