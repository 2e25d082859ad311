// One part of a JPEG with libjpeg-turbo: the columns beside the part are cropped away
// (jpeg_crop_scanline) and the rows above it skipped (jpeg_skip_scanlines); rows below it are
// never decoded. Progressive pictures too, though their scans are all read first.
//
// - Same pixels as a full decode of the same region with libjpeg's default settings: the
//   crop and the skip keep a margin of whole blocks round the part, so upsampling at their
//   edges never reaches it.
// - CMYK pictures (Adobe's inverted ones among them) are left to the caller: std::nullopt.
// - A broken picture gives a null image; so does one whose progressive scans exceed
//   kMaxJpegScans, or whose decoding would take more than kMaxJpegMemory.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <optional>

namespace web {

// Far more than any encoder writes; a picture of thousands of scans is an attack on the CPU.
constexpr int kMaxJpegScans = 1000;
constexpr long kMaxJpegMemory = 512L * 1024 * 1024;

// part: inside the picture and not empty.
std::optional<QImage> decodeJpegPart(const QByteArray& bytes, const QRect& part);

}  // namespace web
