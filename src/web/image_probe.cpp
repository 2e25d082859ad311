#include "web/image_probe.h"

#include <QBuffer>
#include <QImageReader>
#include <QLoggingCategory>
#include <utility>

#include "web/engine.h"
#include "web/engine_limits.h"
#include "web/host_pacing.h"
#include "web/http_fetch.h"
#include "web/png_part.h"

namespace web {
namespace {

// Image plug-ins report a short read as an error on stderr; a probe reads short on purpose.
// Counted per thread: pictures are also decoded on a worker, and the handler runs on the
// thread that logs.
thread_local int quietReads = 0;
QtMessageHandler previousHandler = nullptr;

void filterImageMessages(QtMsgType type, const QMessageLogContext& context,
                         const QString& message) {
  if (quietReads > 0) {
    const bool imageCategory =
        context.category && qstrncmp(context.category, "qt.gui.imageio", 14) == 0;
    if (imageCategory || message.startsWith("libpng")) return;
  }
  if (previousHandler) previousHandler(type, context, message);
}

struct QuietReads {
  QuietReads() {
    static const bool installed = [] {
      previousHandler = qInstallMessageHandler(filterImageMessages);
      return true;
    }();
    (void)installed;
    ++quietReads;
  }
  ~QuietReads() { --quietReads; }
};

// Formats the web serves as pictures, by the byte each one starts with (RIFF for WebP, an
// icon's reserved zero); the candidate's own reader confirms it. Others are refused: some
// readers (TGA) have no magic number and would take any page for an image. Asking only the
// candidate keeps the other image plug-ins and their libraries unloaded.
QByteArray webImageFormat(QIODevice& device) {
  static constexpr std::pair<char, const char*> kByFirstByte[] = {
      {'\xff', "jpeg"}, {'\x89', "png"}, {'G', "gif"}, {'B', "bmp"}, {'R', "webp"}, {'\0', "ico"}};
  char first = 0;
  if (device.peek(&first, 1) != 1) return {};
  for (const auto& [byte, format] : kByFirstByte) {
    if (byte != first) continue;
    QImageReader reader(&device, format);
    reader.setAutoDetectImageFormat(false);
    return reader.canRead() ? QByteArray(format) : QByteArray();
  }
  return {};
}

// Reads the header only: no pixel is decoded before the caller has looked at the size.
class HeaderReader {
 public:
  explicit HeaderReader(const QByteArray& bytes) : copy_(bytes), buffer_(&copy_) {
    buffer_.open(QIODevice::ReadOnly);
    format_ = webImageFormat(buffer_);
    if (format_.isEmpty()) return;
    if (format_ == "png" && !pngHeaderWithinLimit(copy_)) return;  // unreadable: sized 0x0
    reader_.setDevice(&buffer_);
    reader_.setFormat(format_);
    reader_.setAutoDetectImageFormat(false);  // else a built-in format asks every plug-in first
    const QSize size = reader_.size();
    if (size.isValid() && size.width() > 0 && size.height() > 0) size_ = size;
  }
  QSize size() const { return size_; }
  QSize shownSize() {
    if (!size_.isValid()) return size_;
    return reader_.transformation() & QImageIOHandler::TransformationRotate90 ? size_.transposed()
                                                                              : size_;
  }
  QImageReader& reader() { return reader_; }
  const QByteArray& format() const { return format_; }

 private:
  QuietReads quiet_;
  QByteArray copy_;  // QBuffer wants a non-const array; the copy shares the data
  QBuffer buffer_;
  QImageReader reader_;
  QByteArray format_;
  QSize size_;
};

}  // namespace

QByteArray webImageFormatOf(const QByteArray& bytes) {
  QuietReads quiet;
  QByteArray copy = bytes.left(64);
  QBuffer buffer(&copy);
  buffer.open(QIODevice::ReadOnly);
  return webImageFormat(buffer);
}

bool isWebImage(const QByteArray& bytes) { return !webImageFormatOf(bytes).isEmpty(); }

QSize imageSizeOf(const QByteArray& bytes) { return HeaderReader(bytes).size(); }

QSize shownSizeOf(const QByteArray& bytes) { return HeaderReader(bytes).shownSize(); }

PictureHeader readPictureHeader(const QByteArray& bytes) {
  HeaderReader header(bytes);
  PictureHeader result{header.format(), header.size(), header.shownSize(), false};
  if (result.size.isValid())
    result.turned = header.reader().transformation() != QImageIOHandler::TransformationNone;
  return result;
}

QImage decodeImage(const QByteArray& bytes, qint64 maxPixels) {
  HeaderReader header(bytes);
  const QSize size = header.size();
  if (!size.isValid() || qint64(size.width()) * size.height() > maxPixels) return {};
  if (!pngChunksWithinLimit(bytes)) return {};
  header.reader().setAutoTransform(true);
  return header.reader().read();
}

SizeProbe::SizeProbe(Engine& engine, const QString& address, QObject* parent)
    : QObject(parent), engine_(engine), address_(address) {}

void SizeProbe::start() {
  engine_.pacing().whenProbeSlotFree(QUrl(address_), this,
                                     [this] { fetch(engine_.options().probeFirstBytes > 0); });
}

void SizeProbe::fetch(bool firstBytesOnly) {
  ranged_ = firstBytesOnly;
  triedAt_ = 0;
  fetch_ = new Fetch(engine_, QUrl(address_, QUrl::StrictMode), Fetch::Kind::Image, this);
  const qint64 probeLimit = engine_.options().probeLimitBytes;
  if (firstBytesOnly) fetch_->setFirstBytes(engine_.options().probeFirstBytes);
  fetch_->setByteLimit(probeLimit + kProbeSlackBytes);
  fetch_->setProgress([this, probeLimit](const QByteArray& soFar) {
    // Retry the header only when the data has grown enough to be worth it.
    if (soFar.size() < triedAt_ + triedAt_ / 2 && soFar.size() - triedAt_ < 16384) return false;
    triedAt_ = soFar.size();
    const QSize size = imageSizeOf(soFar);
    if (size.isValid()) {
      size_ = size;
      return true;
    }
    return soFar.size() >= probeLimit;  // give up: the size stays unknown
  });
  connect(fetch_, &Fetch::finished, this, &SizeProbe::finished);
  fetch_->start();
}

void SizeProbe::finished() {
  const FetchResult& result = fetch_->result();
  bytesRead_ += result.body.size();
  if (!size_.isValid() || size_.isEmpty()) {
    if (navigationStatus(result) == 0 && !result.stoppedEarly) {
      const QSize size = imageSizeOf(result.body);
      if (size.isValid()) size_ = size;
    }
  }
  fetch_->deleteLater();
  fetch_ = nullptr;
  // The first bytes held no size (a header behind a large preview, say): read on from the start.
  if (ranged_ && (!size_.isValid() || size_.isEmpty()) && result.httpStatus == 206 &&
      result.body.size() >= engine_.options().probeFirstBytes) {
    fetch(false);
    return;
  }
  if (!size_.isValid()) size_ = QSize(0, 0);
  engine_.pacing().release(this);
  engine_.storeSize(address_, size_);
  emit done();
}

}  // namespace web
