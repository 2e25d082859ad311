// The decoding of one part of a picture a panel shows (decodePicturePart): whatever the bytes
// and the part, the answer is nothing or exactly the part inside the picture, and no decode
// runs past its budget of pixels.
//
// Input: four bytes of choices (the part's left, top, width and height, in steps of 8
// pixels), then the picture's bytes.
#include <QByteArray>
#include <QRect>
#include <cstddef>
#include <cstdint>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "web/image_probe.h"
#include "web/picture_part.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Small, so the sanitizers keep up; the cap itself is what a hostile header meets.
  constexpr qint64 kMaxPixels = 4'000'000;
  fuzz::Input input(data, size);
  const int left = input.byte() * 8, top = input.byte() * 8;
  const int width = input.byte() * 8 + 1, height = input.byte() * 8 + 1;
  const std::string rest = input.rest();
  const QByteArray bytes = QByteArray::fromRawData(rest.data(), qsizetype(rest.size()));

  const QRect part(left, top, width, height);
  const QImage pixels = web::decodePicturePart(bytes, part, kMaxPixels);
  if (pixels.isNull()) return 0;
  const QSize shown = web::readPictureHeader(bytes).shownSize;
  FUZZ_CHECK(qint64(shown.width()) * shown.height() <= kMaxPixels, "decoded over the cap");
  FUZZ_CHECK(pixels.size() == (part & QRect(QPoint(), shown)).size(),
             "pixels other than the part inside the picture");
  return 0;
}
