// The part of a picture a panel shows, decoded without what lies below it (and for JPEG,
// beside and above it): the panels keep only what can be seen, so nothing else is decoded.
//
// - `part` is in the picture's shown coordinates (turned as its EXIF orientation says) and is
//   clipped to the picture; an empty result is a null image.
// - The pixels are those of a full decode's same region. PNG is read row by row up to the
//   part's last row; JPEG is cropped and skipped. Interlaced or 16-bit PNG, CMYK or turned JPEG
//   and the other formats are decoded whole and cut.
// - Nothing is decoded for a picture whose header declares more than maxPixels, or that is
//   no picture; broken data gives a null image.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>

namespace web {

QImage decodePicturePart(const QByteArray& bytes, const QRect& part, qint64 maxPixels);

}  // namespace web
