// CPU per picture shown: a whole decode (as the panels decoded before) against the part a
// panel shows, placed as the display places it, over websim's real pictures (desktop-base's
// wallpapers, login and boot pictures, logos) or the .png and .jpg files of a folder. With
// libspng at hand, libpng and libspng are also timed on the same whole decodes.
//
// Usage: bench_picture_decode [folder] [screen width] [screen height]
#include <png.h>

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRect>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <random>
#include <vector>

#include "web/image_probe.h"
#include "web/picture_decoder.h"
#include "web/picture_part.h"

#ifdef QUOREL_HAVE_SPNG
#include <spng.h>
#endif

namespace {

double threadMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Best of three runs: the machine is shared.
template <typename F>
double bestMs(F&& run) {
  double best = 1e300;
  for (int i = 0; i < 3; ++i) {
    const double start = threadMs();
    run();
    best = std::min(best, threadMs() - start);
  }
  return best;
}

QStringList websimPictures() {
  QStringList files;
  const QString base = QStringLiteral("/usr/share/desktop-base");
  for (const QString& theme : QDir(base).entryList({"*-theme"}, QDir::Dirs)) {
    if (QFileInfo(base + '/' + theme).isSymLink()) continue;  // an alias of another theme
    for (const char* kind : {"grub", "login", "plymouth"}) {
      for (const QFileInfo& file :
           QDir(base + '/' + theme + '/' + kind).entryInfoList({"*.png", "*.jpg"}, QDir::Files)) {
        if (file.fileName().contains("password") || file.size() < 14000) continue;
        files << file.canonicalFilePath();
      }
    }
  }
  files.removeDuplicates();
  return files;
}

// What of a WxH picture a panel shows on the screen: the panel is the picture plus 40x48,
// placed at a random spot (sticking out left or top when larger than the screen), the picture
// 20 px in and 10 down, the frame cutting the panel's right and bottom 24 px.
QRect shownPart(QSize picture, QSize screen, std::mt19937& random) {
  std::uniform_real_distribution<double> draw(0.0, 1.0);
  const int w = picture.width() + 40, h = picture.height() + 48;
  const int left = int(draw(random) * (screen.width() - w));
  const int top = int(draw(random) * (screen.height() - h));
  const QRect onScreen = QRect(QPoint(), screen) & QRect(left, top, w - 24, h - 24);
  return onScreen.translated(-left - 20, -top - 10) & QRect(QPoint(), picture);
}

// A whole PNG row by row into 8-bit RGB(A), the way each library is best used for it.
void libpngWhole(const QByteArray& bytes) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.constData(), std::size_t(bytes.size())))
    return;
  image.format = PNG_FORMAT_RGBA;
  std::vector<unsigned char> pixels(PNG_IMAGE_SIZE(image));
  png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr);
}

#ifdef QUOREL_HAVE_SPNG
void spngWhole(const QByteArray& bytes) {
  spng_ctx* context = spng_ctx_new(0);
  spng_set_png_buffer(context, bytes.constData(), std::size_t(bytes.size()));
  std::size_t size = 0;
  if (spng_decoded_image_size(context, SPNG_FMT_RGBA8, &size) == 0) {
    std::vector<unsigned char> pixels(size);
    spng_decode_image(context, pixels.data(), size, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS);
  }
  spng_ctx_free(context);
}
#endif

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  QStringList files;
  if (args.size() > 1) {
    QDirIterator it(args[1], {"*.png", "*.jpg", "*.jpeg"}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) files << it.next();
  } else {
    files = websimPictures();
  }
  const QSize screen(args.size() > 2 ? args[2].toInt() : 1280,
                     args.size() > 3 ? args[3].toInt() : 1024);
  std::mt19937 random(20261207);
  constexpr int kPlacements = 5;

  double whole = 0, part = 0, libpng = 0, spng = 0;
  qint64 wholePixels = 0, partPixels = 0;
  int pngs = 0;
  std::printf("%-60s %10s %9s %9s\n", "picture", "size", "whole ms", "part ms");
  for (const QString& path : files) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) continue;
    const QByteArray bytes = file.readAll();
    const QSize size = web::shownSizeOf(bytes);
    if (!size.isValid()) continue;
    const double wholeMs = bestMs([&] {
      QImage image = web::decodeImage(bytes, web::kMaxPicturePixels);
      if (image.format() == QImage::Format_RGB32) image.convertTo(QImage::Format_RGB888);
    });
    double partMs = 0;
    for (int i = 0; i < kPlacements; ++i) {
      const QRect shown = shownPart(size, screen, random);
      partMs += bestMs([&] { web::decodePicturePart(bytes, shown, web::kMaxPicturePixels); });
      partPixels += qint64(shown.width()) * shown.height();
    }
    partMs /= kPlacements;
    wholePixels += qint64(size.width()) * size.height() * kPlacements;
    whole += wholeMs;
    part += partMs;
    if (web::webImageFormatOf(bytes) == "png") {
      ++pngs;
      libpng += bestMs([&] { libpngWhole(bytes); });
#ifdef QUOREL_HAVE_SPNG
      spng += bestMs([&] { spngWhole(bytes); });
#endif
    }
    std::printf("%-60s %4dx%-5d %9.2f %9.2f\n", qPrintable(path.right(60)), size.width(),
                size.height(), wholeMs, partMs);
  }
  const int n = int(files.size());
  std::printf("\n%d pictures on a %dx%d screen, %d placements each\n", n, screen.width(),
              screen.height(), kPlacements);
  std::printf("CPU per picture: whole %.2f ms, shown part %.2f ms (%.0f %% of the pixels)\n",
              whole / n, part / n, 100.0 * double(partPixels) / double(wholePixels));
  std::printf("whole PNG into RGBA, %d pictures: libpng %.2f ms", pngs, libpng / pngs);
#ifdef QUOREL_HAVE_SPNG
  std::printf(", libspng %.2f ms", spng / pngs);
#endif
  std::printf(" per picture\n");
  return 0;
}
