#include "web/picture_decoder.h"

#include <QFutureWatcher>
#include <QImageReader>
#include <QtConcurrent/QtConcurrentRun>

#include "web/picture_part.h"

namespace web {

PictureDecoder::PictureDecoder(QObject* parent) : QObject(parent) {
  // Process-wide: a backstop behind the header check, for readers whose header understates.
  QImageReader::setAllocationLimit(int((kMaxPicturePixels * 4 + (1 << 20) - 1) >> 20));
  // One picture at a time bounds the memory a burst of pictures can take.
  pool_.setMaxThreadCount(1);
}

PictureDecoder::~PictureDecoder() {
  pool_.clear();
  pool_.waitForDone();
}

void PictureDecoder::setPanelSizeWindow(std::function<bool(QSize)> accepts) {
  window_ = std::move(accepts);
}

bool PictureDecoder::panelAccepts(QSize shown) const {
  if (qint64(shown.width()) * shown.height() > kMaxPicturePixels) return false;
  return !window_ || window_(shown);
}

void PictureDecoder::decode(const QByteArray& bytes, const QRect& part, QObject* context,
                            std::function<void(const QImage& pixels)> done) {
  QFuture<QImage> future =
      QtConcurrent::run(&pool_, decodePicturePart, bytes, part, kMaxPicturePixels);
  auto* watcher = new QFutureWatcher<QImage>(context);
  connect(watcher, &QFutureWatcher<QImage>::finished, watcher, [watcher, done = std::move(done)] {
    const QImage image = watcher->future().isCanceled() ? QImage() : watcher->result();
    watcher->deleteLater();
    done(image);
  });
  // The asker is gone: a decode still queued is skipped.
  connect(watcher, &QObject::destroyed, [future]() mutable { future.cancel(); });
  watcher->setFuture(future);
}

}  // namespace web
