// A displayed picture drawn under a clip (a panel painted again for a small change beside it):
// only the clipped pixels are cut and drawn, and they are exactly the picture's.
#include "web/visible_images.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QTextImageFormat>

namespace {

// Every pixel its own colour, so a shifted cut shows.
QImage numberedPicture(QSize size) {
  QImage picture(size, QImage::Format_RGB888);
  for (int y = 0; y < size.height(); ++y)
    for (int x = 0; x < size.width(); ++x) picture.setPixel(x, y, qRgb(x, y, (x * 7 + y) & 255));
  return picture;
}

TEST(VisibleImages, DrawsExactlyThePicturesPixelsInsideTheClip) {
  const QImage picture = numberedPicture({200, 150});
  struct Row {
    const char* name;
    QRectF placed;  // where the layout puts the picture
    QRectF clip;
  } rows[] = {
      {.name = "no cut: the clip holds the picture",
       .placed = {20, 30, 200, 150},
       .clip = {0, 0, 300, 240}},
      {.name = "a strip across it", .placed = {20, 30, 200, 150}, .clip = {0, 100, 300, 12}},
      {.name = "its corner", .placed = {20, 30, 200, 150}, .clip = {200, 160, 100, 80}},
      {.name = "a clip beside it", .placed = {20, 30, 200, 150}, .clip = {230, 0, 70, 240}},
      {.name = "placed between pixels",
       .placed = {20.5, 30.25, 200, 150},
       .clip = {60, 60, 33, 17}},
      {.name = "scaled down, drawn whole", .placed = {20, 30, 100, 75}, .clip = {40, 40, 30, 30}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    web::VisibleImages images({
        .size = [&](const QString&) { return picture.size(); },
        .decode = [&](const QString&, const QRect& part, auto done) { done(picture.copy(part)); },
        .reachable = [] { return QRectF(0, 0, 1000, 1000); },
        .drawn = {},
        .ratio = {},
        .changed = {},
    });
    QTextImageFormat format;
    format.setName(QStringLiteral("p"));
    const auto paint = [&](bool clipped) {
      QImage canvas(300, 240, QImage::Format_RGB32);
      canvas.fill(Qt::black);
      QPainter painter(&canvas);
      if (clipped) painter.setClipRect(r.clip);
      images.drawObject(&painter, r.placed, nullptr, 0, format);
      return canvas;
    };
    paint(false);  // the first paint asks for the pixels
    // What the whole picture drawn and then clipped gives.
    QImage expected = paint(false);
    for (int y = 0; y < expected.height(); ++y)
      for (int x = 0; x < expected.width(); ++x)
        if (!r.clip.contains(QPointF(x + 0.5, y + 0.5))) expected.setPixel(x, y, qRgb(0, 0, 0));
    EXPECT_EQ(paint(true), expected);
  }
}

}  // namespace
