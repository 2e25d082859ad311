// One part of a PNG, read row by row with libpng: rows below the part are never inflated.
//
// - Only non-interlaced pictures of at most 8 bits a sample: an interlaced picture's last
//   pass reaches every row, and deeper samples would need rounding of our own; for those the
//   answer is std::nullopt and the caller decodes the whole picture instead.
// - Pixels are libpng's own, expanded to 8-bit RGB (RGBA when the picture has any
//   transparency): the same values a full decode gives.
// - A broken picture (bad signature, checksum, truncated rows) gives a null image.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <optional>

namespace web {

// part: inside the picture and not empty.
std::optional<QImage> decodePngPart(const QByteArray& bytes, const QRect& part);

// False for a PNG with a chunk other than its rows (IDAT) claiming more than the row decoder
// allows: libpng allocates such a chunk whole, and a whole decode through Qt sets no cap.
// Anything else, PNG or not, is true.
bool pngChunksWithinLimit(const QByteArray& bytes);
// The same for the chunks before the rows, which reading just the header (through Qt) meets.
bool pngHeaderWithinLimit(const QByteArray& bytes);

}  // namespace web
