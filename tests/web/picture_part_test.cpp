#include "web/picture_part.h"

#include <gtest/gtest.h>
#include <png.h>

#include <QBuffer>
#include <QImageWriter>

#include "error_capture.h"
#include "http_fixture.h"
#include "web/image_probe.h"

namespace {

constexpr qint64 kCap = 40'000'000;

// Noise over gradients, with every alpha value when the format has alpha: upsampling or a
// colour conversion gone wrong at a part's edge cannot hide in flat colour.
QImage detailed(int width, int height, QImage::Format format) {
  QImage image(width, height, QImage::Format_ARGB32);
  quint32 seed = 12345;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      seed = seed * 1103515245u + 12345u;
      const int noise = int(seed >> 27);
      image.setPixel(x, y,
                     qRgba((x * 255 / width + noise) & 0xff, (y * 255 / height) ^ noise,
                           (x + y + noise * 3) & 0xff, (x * 7 + y) & 0xff));
    }
  }
  if (!image.hasAlphaChannel() || !QImage(1, 1, format).hasAlphaChannel())
    image = image.convertToFormat(QImage::Format_RGB32);
  return image.convertToFormat(format);
}

QByteArray written(const QImage& image, const QByteArray& format, bool progressive = false) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  if (format == "jpeg") writer.setQuality(90);
  writer.setProgressiveScanWrite(progressive);
  EXPECT_TRUE(writer.write(image)) << writer.errorString().toStdString();
  return bytes;
}

// Qt writes no interlaced PNG; libpng itself does.
QByteArray interlacedPng(const QImage& source) {
  const QImage image = source.convertToFormat(QImage::Format_RGBA8888);
  QByteArray bytes;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(
      png, &bytes,
      [](png_structp p, png_bytep data, png_size_t length) {
        static_cast<QByteArray*>(png_get_io_ptr(p))
            ->append(reinterpret_cast<char*>(data), qsizetype(length));
      },
      nullptr);
  png_set_IHDR(png, info, png_uint_32(image.width()), png_uint_32(image.height()), 8,
               PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_ADAM7, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_bytep> rows;
  for (int y = 0; y < image.height(); ++y)
    rows.push_back(const_cast<png_bytep>(image.constScanLine(y)));
  png_set_rows(png, info, rows.data());
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  png_destroy_write_struct(&png, &info);
  return bytes;
}

// A picture's bytes with one byte changed.
QByteArray flipped(QByteArray bytes, qsizetype at) {
  bytes[at] = char(bytes[at] ^ 0x5a);
  return bytes;
}

// A progressive JPEG whose first scan comes again and again: each copy is decoded, so the
// picture costs the CPU as much as it likes.
QByteArray manyScans(const QByteArray& progressive, int copies) {
  const qsizetype start = progressive.indexOf("\xff\xda");
  qsizetype end = start + 2;
  // The scan's data runs to the next marker that is neither stuffing (FF 00) nor a restart.
  while (end + 1 < progressive.size()) {
    const auto next = quint8(progressive[end + 1]);
    if (quint8(progressive[end]) == 0xff && next != 0 && (next < 0xd0 || next > 0xd7)) break;
    ++end;
  }
  return progressive.left(end) + progressive.mid(start, end - start).repeated(copies) +
         progressive.mid(end);
}

QImage comparable(const QImage& image) { return image.convertToFormat(QImage::Format_ARGB32); }

TEST(PicturePart, TheShownPartHasTheFullDecodesPixels) {
  const QImage opaque = detailed(203, 157, QImage::Format_RGB32);
  struct Case {
    const char* name;
    QByteArray bytes;
  } pictures[] = {
      {.name = "PNG, RGB", .bytes = written(opaque, "png")},
      {.name = "PNG, RGBA", .bytes = written(detailed(203, 157, QImage::Format_ARGB32), "png")},
      {.name = "PNG, palette",
       .bytes = written(opaque.convertToFormat(QImage::Format_Indexed8), "png")},
      {.name = "PNG, grey", .bytes = written(detailed(203, 157, QImage::Format_Grayscale8), "png")},
      {.name = "PNG, one bit", .bytes = written(detailed(203, 157, QImage::Format_Mono), "png")},
      {.name = "PNG, 16 bits (decoded whole)",
       .bytes = written(detailed(203, 157, QImage::Format_RGBA64), "png")},
      {.name = "PNG, interlaced (decoded whole)", .bytes = interlacedPng(opaque)},
      {.name = "JPEG, baseline", .bytes = written(opaque, "jpeg")},
      {.name = "JPEG, progressive", .bytes = written(opaque, "jpeg", true)},
      {.name = "JPEG, grey",
       .bytes = written(detailed(203, 157, QImage::Format_Grayscale8), "jpeg")},
      {.name = "BMP (decoded whole)", .bytes = written(opaque, "bmp")},
      {.name = "WebP (decoded whole)", .bytes = written(opaque, "webp")},
      {.name = "icon (decoded whole)", .bytes = written(opaque, "ico")},
  };
  struct Part {
    const char* name;
    QRect rect;
  } parts[] = {
      {.name = "whole", .rect = {0, 0, 203, 157}},
      {.name = "inside, off every block edge", .rect = {37, 29, 101, 77}},
      {.name = "one pixel", .rect = {100, 90, 1, 1}},
      {.name = "bottom right corner", .rect = {150, 120, 53, 37}},
      {.name = "top rows", .rect = {0, 0, 203, 3}},
      {.name = "past the right and bottom edges", .rect = {180, 140, 500, 500}},
  };
  for (const Case& picture : pictures) {
    SCOPED_TRACE(picture.name);
    const QImage full = web::decodeImage(picture.bytes, kCap);
    ASSERT_FALSE(full.isNull());
    for (const Part& part : parts) {
      SCOPED_TRACE(part.name);
      const QImage cut = web::decodePicturePart(picture.bytes, part.rect, kCap);
      const QRect expected = part.rect & full.rect();
      ASSERT_EQ(cut.size(), expected.size());
      EXPECT_TRUE(comparable(cut) == comparable(full.copy(expected)));
    }
  }
}

TEST(PicturePart, BrokenOrOversizedPicturesGiveNothing) {
  const QByteArray png = written(detailed(300, 200, QImage::Format_RGB32), "png");
  const QByteArray jpeg = written(detailed(300, 200, QImage::Format_RGB32), "jpeg");
  struct Case {
    const char* name;
    QByteArray bytes;
    QRect part;
    bool decoded;
  } cases[] = {
      {.name = "no picture", .bytes = "<html>", .part = {0, 0, 10, 10}, .decoded = false},
      {.name = "header only", .bytes = png.left(60), .part = {0, 0, 10, 10}, .decoded = false},
      {.name = "PNG cut short above the part",
       .bytes = png.left(png.size() / 3),
       .part = {0, 150, 10, 10},
       .decoded = false},
      {.name = "PNG whose first rows are corrupt",
       .bytes = flipped(png, 60),
       .part = {0, 0, 300, 200},
       .decoded = false},
      {.name = "JPEG cut before its first scan",
       .bytes = jpeg.left(300),
       .part = {0, 0, 10, 10},
       .decoded = false},
      {.name = "progressive JPEG of thousands of scans",
       .bytes = manyScans(written(detailed(300, 200, QImage::Format_RGB32), "jpeg", true), 1500),
       .part = {0, 0, 10, 10},
       .decoded = false},
      {.name = "a part outside the picture",
       .bytes = png,
       .part = {400, 0, 10, 10},
       .decoded = false},
      {.name = "over the pixel cap, never decoded",
       .bytes = webtest::imageBytes("png", 8000, 6000, QImage::Format_Mono),
       .part = {0, 0, 10, 10},
       .decoded = false},
      {.name = "the part above a PNG's cut",
       .bytes = png.left(png.size() / 2),
       .part = {0, 0, 10, 10},
       .decoded = true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    webtest::ErrorCapture errors;
    EXPECT_EQ(!web::decodePicturePart(c.bytes, c.part, kCap).isNull(), c.decoded);
    // Qt's image readers' complaints about broken data stay off the terminal. (libpng's own
    // error lines bypass Qt's messages and cannot be held back here.)
    EXPECT_FALSE(errors.text().contains("qt.gui.imageio"));
  }
}

}  // namespace
