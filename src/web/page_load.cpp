#include "web/page_load.h"

#include <algorithm>
#include <string_view>

#include "web/charset.h"
#include "web/engine.h"
#include "web/engine_limits.h"
#include "web/http_fetch.h"
#include "web/image_probe.h"
#include "web/parse_client.h"
#include "web/picture_decoder.h"
#include "web/status_codes.h"

namespace web {
namespace {

QByteArray mimeType(const QByteArray& contentType) {
  const qsizetype semicolon = contentType.indexOf(';');
  return (semicolon < 0 ? contentType : contentType.left(semicolon)).trimmed().toLower();
}

bool namesFrame(const QByteArray& markup) {
  static constexpr std::string_view kTag = "<frame";
  return std::search(markup.begin(), markup.end(), kTag.begin(), kTag.end(), [](char a, char b) {
           return (a >= 'A' && a <= 'Z' ? char(a + 32) : a) == b;
         }) != markup.end();
}

}  // namespace

PageLoad::PageLoad(Engine& engine, const QString& address, bool keepPictures, Reports reports,
                   QObject* parent)
    : QObject(parent),
      engine_(engine),
      address_(address),
      keepPictures_(keepPictures),
      reports_(std::move(reports)) {
  probeDeadline_.setSingleShot(true);
  connect(&probeDeadline_, &QTimer::timeout, this, &PageLoad::abandonProbes);
}

PageLoad::~PageLoad() { cancel(); }

void PageLoad::cancel() {
  cancelled_ = true;
  probeDeadline_.stop();
  probeQueue_.clear();
  for (SizeProbe* probe : std::as_const(probes_)) probe->deleteLater();
  probes_.clear();
  // Fetches are children: deleting them aborts their transfers without a report.
  for (Fetch* fetch : findChildren<Fetch*>(Qt::FindDirectChildrenOnly)) {
    fetch->abort();
    fetch->deleteLater();
  }
  page_ = nullptr;
}

void PageLoad::start() {
  if (address_.trimmed().compare("about:blank", Qt::CaseInsensitive) == 0) {
    QTimer::singleShot(0, this, [this] {
      if (cancelled_) return;
      finished_ = true;
      reports_.pageComplete(buildDocument({}, QUrl("about:blank")), "about:blank");
    });
    return;
  }
  page_ = new Fetch(engine_, QUrl(address_.trimmed(), QUrl::TolerantMode), Fetch::Kind::Page, this);
  page_->setOwnRequest(ownRequest_);
  connect(page_, &Fetch::finished, this, &PageLoad::onPageFetched);
  page_->start();
}

void PageLoad::fail(const QUrl& url, qint32 status, const QByteArray& body,
                    const QByteArray& contentType) {
  const QString shown = url.isEmpty() ? address_ : url.toString(QUrl::FullyEncoded);
  // Repeated failures against one host are reported at a growing pace.
  const int delay = engine_.failureDelayMs(url.isEmpty() ? QUrl(address_) : url);
  QTimer::singleShot(delay, this, [this, shown, status, body, contentType] {
    if (cancelled_) return;
    const bool cancelled = reports_.navigateError(shown, QString(), status);
    if (cancelled_) return;
    finished_ = true;
    if (cancelled) {
      reports_.pageFailed(nullptr, shown);
      return;
    }
    const auto show = [this, shown](std::shared_ptr<DocumentModel> page) {
      if (cancelled_) return;
      if (!page) {
        page = buildDocument(
            "<html><head><title>Navigation failed</title></head><body><p>This page could "
            "not be opened.</p></body></html>",
            QUrl(shown));
      }
      reports_.pageFailed(page, shown);
    };
    if (status >= 400 && status < 600 && !body.isEmpty()) {
      parseUntrusted(QUrl(shown), decodeToUtf8(body, contentType, true), show);
    } else {
      show(nullptr);
    }
  });
}

void PageLoad::parseUntrusted(const QUrl& url, const QByteArray& utf8,
                              std::function<void(std::shared_ptr<DocumentModel>)> then,
                              bool withCopy) {
  ParseClient::WrittenDone written;
  if (withCopy && engine_.options().prepareWrittenCopies) {
    copyPending_ = true;
    // Follows the page's own report, so the model is there unless the page failed.
    written = [this](std::shared_ptr<const WrittenCopy> copy) {
      copyPending_ = false;
      if (model_) model_->writtenCopy = std::move(copy);
      maybeFinish();
    };
  }
  engine_.parser().parse(
      utf8, url, engine_.options().parseBudgetMs, this,
      [this, then = std::move(then)](std::shared_ptr<DocumentModel> model) {
        if (!cancelled_) then(std::move(model));
      },
      std::move(written));
}

std::shared_ptr<DocumentModel> PageLoad::imageDocument(const QUrl& url, const QByteArray& body) {
  const std::string src = resolveAddress(url, url.toString(QUrl::FullyEncoded));
  const QString key = QString::fromStdString(src);
  const QSize size = keepPictures_ ? shownSizeOf(body) : imageSizeOf(body);
  engine_.storeSize(key, size.isValid() ? size : QSize(0, 0));
  // Too large, or one the panel would hide: it keeps its header's size and is never decoded.
  if (keepPictures_ && size.isValid() && engine_.decoder().panelAccepts(size))
    engine_.storePicture(key, body);
  // Our own markup around an address that is fully encoded: nothing of the stranger's.
  return buildDocument(imageDocumentMarkup(src), url);
}

void PageLoad::onPageFetched() {
  if (cancelled_ || !page_) return;
  const FetchResult result = page_->result();
  page_->deleteLater();
  page_ = nullptr;
  if (const qint32 status = navigationStatus(result)) {
    fail(result.finalUrl, status, result.body, result.contentType);
    return;
  }
  const QByteArray mime = mimeType(result.contentType);
  Kind kind = Kind::Unsupported;
  if (mime.startsWith("image/") || isWebImage(result.body))
    kind = Kind::Image;
  else if (mime.isEmpty() || mime == "text/html" || mime == "application/xhtml+xml")
    kind = Kind::Html;
  else if (mime.startsWith("text/") || mime.endsWith("+xml") || mime == "application/xml")
    kind = Kind::Text;
  if (kind == Kind::Unsupported) {
    fail(result.finalUrl, status::kUnsupportedType, {}, {});
    return;
  }
  engine_.noteSuccess(result.finalUrl);
  pageUrl_ = result.finalUrl.toString(QUrl::FullyEncoded);
  if (kind == Kind::Image) {
    model_ = imageDocument(result.finalUrl, result.body);
    maybeFinish();
    return;
  }
  // The page's own markup is parsed by the helper, away from the event loop; so is plain
  // text, escaped into a preformatted block first, as its size is the stranger's choice too.
  const QUrl finalUrl = result.finalUrl;
  const QByteArray markup =
      kind == Kind::Html ? decodeToUtf8(result.body, result.contentType, true)
                         : textDocumentMarkup(decodeToUtf8(result.body, result.contentType, false));
  parseUntrusted(
      finalUrl, markup,
      [this, finalUrl](std::shared_ptr<DocumentModel> model) {
        if (!model) {
          fail(finalUrl, status::kParseFailed, {}, {});
          return;
        }
        model_ = std::move(model);
        onPageParsed();
      },
      true);
}

void PageLoad::onPageParsed() {
  const bool frameset = std::any_of(model_->frames.begin(), model_->frames.end(),
                                    [](const FrameRef& frame) { return frame.inFrameset; });
  if (frameset && reports_.framesetReady) reports_.framesetReady(model_, pageUrl_);
  for (size_t i = 0; i < model_->frames.size(); ++i) {
    const FrameRef& frame = model_->frames[i];
    if (frame.inFrameset) loadFrame(frame.location, frame.name, int(i), 1);
  }
  startProbes();
  maybeFinish();
}

void PageLoad::loadFrame(const std::string& location, const std::string& name, int topIndex,
                         int level) {
  if (framesStarted_ >= kMaxFramesPerPage) return;
  ++framesStarted_;
  ++pendingFrames_;
  auto* fetch = new Fetch(engine_, QUrl(QString::fromStdString(location), QUrl::TolerantMode),
                          Fetch::Kind::Page, this);
  const QString frameName = QString::fromStdString(name);
  connect(fetch, &Fetch::finished, this, [this, fetch, frameName, topIndex, level] {
    if (cancelled_) return;
    const FetchResult result = fetch->result();
    fetch->deleteLater();
    --pendingFrames_;
    const QString url = result.finalUrl.toString(QUrl::FullyEncoded);
    if (const qint32 status = navigationStatus(result)) {
      frameDone(url, frameName, status);
      return;
    }
    if (topIndex >= 0 && model_) model_->frames[size_t(topIndex)].location = url.toStdString();
    // A frame that is itself a frameset brings its own frames along. Only markup that names a
    // frame can hold one: the others need no parse.
    const QByteArray mime = mimeType(result.contentType);
    const QByteArray utf8 = level < kMaxFrameLevels && (mime.isEmpty() || mime == "text/html")
                                ? decodeToUtf8(result.body, result.contentType, true)
                                : QByteArray();
    if (!namesFrame(utf8)) {
      frameDone(url, frameName, 0);
      return;
    }
    ++pendingFrames_;  // until its own frames are started
    parseUntrusted(result.finalUrl, utf8,
                   [this, url, frameName, level](std::shared_ptr<DocumentModel> inner) {
                     --pendingFrames_;
                     if (inner) {
                       for (const FrameRef& frame : inner->frames) {
                         if (frame.inFrameset) loadFrame(frame.location, frame.name, -1, level + 1);
                       }
                     }
                     frameDone(url, frameName, inner ? 0 : status::kParseFailed);
                   });
  });
  fetch->start();
}

void PageLoad::frameDone(const QString& url, const QString& frameName, qint32 status) {
  if (status)
    reports_.navigateError(url, frameName, status);
  else
    reports_.frameComplete(url);
  if (cancelled_) return;
  maybeFinish();
}

void PageLoad::startProbes() {
  QSet<QString> seen;
  const int cap = engine_.options().maxProbesPerPage;
  for (const ImageRef& image : model_->images) {
    if (!image.needsIntrinsicSize()) continue;
    const QString address = QString::fromStdString(image.src);
    if (seen.contains(address) || engine_.cachedSize(address).isValid()) continue;
    seen.insert(address);
    probeQueue_.push_back(address);
    if (int(probeQueue_.size()) >= cap) break;
  }
  if (probeQueue_.empty()) return;
  probeDeadline_.start(engine_.options().requestTimeoutMs);
  pumpProbes();
}

void PageLoad::pumpProbes() {
  while (!probeQueue_.empty() && probes_.size() < engine_.options().maxParallelProbes) {
    auto* probe = new SizeProbe(engine_, probeQueue_.front(), this);
    probeQueue_.pop_front();
    probes_.insert(probe);
    connect(probe, &SizeProbe::done, this, [this, probe] {
      if (!probes_.remove(probe)) return;
      probe->deleteLater();
      if (cancelled_) return;
      pumpProbes();
      maybeFinish();
    });
    probe->start();
  }
}

void PageLoad::abandonProbes() {
  // Sizes still unknown at the deadline stay unknown (0x0); the page completes anyway.
  probeQueue_.clear();
  for (SizeProbe* probe : std::as_const(probes_)) probe->deleteLater();
  probes_.clear();
  maybeFinish();
}

void PageLoad::maybeFinish() {
  if (cancelled_ || finished_ || !model_ || page_) return;
  if (pendingFrames_ > 0 || !probes_.isEmpty() || !probeQueue_.empty() || copyPending_) return;
  probeDeadline_.stop();
  finished_ = true;
  reports_.pageComplete(model_, pageUrl_);
}

}  // namespace web
