// Engine: the network stack, caches and policies that all browsers share.
#include "web/engine.h"

#include <QDateTime>
#include <QHash>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QPointer>

#include "quorel_version.h"
#include "web/address_policy.h"
#include "web/http_fetch.h"
#include "web/image_probe.h"
#include "web/lru_cache.h"

namespace web {
namespace {

constexpr int kFirstRetryDelayMs = 250;
constexpr int kLongestRetryDelayMs = 4000;
constexpr qint64 kFailureMemoryMs = 60000;

QString hostKey(const QUrl& url) {
  const QString host = url.host().toLower();
  return host.isEmpty() ? url.scheme().toLower() + ':' : host;
}

}  // namespace

struct Engine::Private {
  explicit Private(const EngineOptions& options)
      : sizes(options.sizeCacheEntries), decoded(options.decodedCacheBytes), failedDecodes(512) {}

  QNetworkAccessManager network;
  LruCache<QSize> sizes;
  LruCache<QImage> decoded;
  LruCache<bool> failedDecodes;

  struct Failures {
    int count = 0;
    qint64 lastMs = 0;
  };
  QHash<QString, Failures> failures;

  struct Waiter {
    QPointer<QObject> context;
    std::function<void()> done;
  };
  QHash<QString, QList<Waiter>> decoding;
};

Engine::Engine(EngineOptions options, QObject* parent)
    : QObject(parent), d(std::make_unique<Private>(options)), options_(std::move(options)) {
  // Honours http_proxy, https_proxy and no_proxy.
  QNetworkProxyFactory::setUseSystemConfiguration(true);
  d->network.setAutoDeleteReplies(false);
}

Engine::~Engine() = default;

QNetworkAccessManager& Engine::network() { return d->network; }

qint32 Engine::refusal(const QUrl& url) const {
  return addressRefusal(url, options_.allowedPrivateHosts, options_.allowAllPrivateHosts);
}

QString Engine::userAgent() const {
  return QStringLiteral("Mozilla/5.0 (compatible; Quorel/" QUOREL_VERSION "; X11; Linux x86_64)");
}

QSize Engine::cachedSize(const QString& address) const {
  const QSize* size = d->sizes.find(address);
  return size ? *size : QSize();
}

void Engine::storeSize(const QString& address, QSize size) { d->sizes.insert(address, size); }

QImage Engine::decodedImage(const QString& address) const {
  const QImage* image = d->decoded.find(address);
  return image ? *image : QImage();
}

void Engine::storeDecoded(const QString& address, const QImage& image) {
  if (image.isNull()) return;
  // Opaque pictures are kept at three bytes a pixel instead of four: a quarter less for what
  // the panels hold all the time, for a conversion on the rare paint.
  const QImage kept =
      image.format() == QImage::Format_RGB32 ? image.convertToFormat(QImage::Format_RGB888) : image;
  d->decoded.insert(address, kept, kept.sizeInBytes());
}

void Engine::releaseDecoded(const QString& address) { d->decoded.remove(address); }

void Engine::fetchDecoded(const QString& address, QObject* context, std::function<void()> done) {
  if (!decodedImage(address).isNull()) {
    QTimer::singleShot(0, context, std::move(done));
    return;
  }
  if (d->failedDecodes.find(address)) return;  // asked before and failed: no loop of retries
  auto found = d->decoding.find(address);
  if (found != d->decoding.end()) {
    found->append({context, std::move(done)});
    return;
  }
  d->decoding.insert(address, {{context, std::move(done)}});
  auto* fetch = new Fetch(*this, QUrl(address, QUrl::StrictMode), Fetch::Kind::Image, this);
  connect(fetch, &Fetch::finished, this, [this, fetch, address] {
    const FetchResult& result = fetch->result();
    QImage image;
    if (navigationStatus(result) == 0) image = decodeImage(result.body);
    if (image.isNull()) {
      d->failedDecodes.insert(address, true);
    } else {
      storeDecoded(address, image);
      storeSize(address, image.size());
    }
    fetch->deleteLater();
    const QList<Private::Waiter> waiters = d->decoding.take(address);
    for (const Private::Waiter& waiter : waiters) {
      if (waiter.context) waiter.done();
    }
  });
  fetch->start();
}

int Engine::failureDelayMs(const QUrl& url) {
  const qint64 now = QDateTime::currentMSecsSinceEpoch();
  if (d->failures.size() > 4096) d->failures.clear();
  Private::Failures& failures = d->failures[hostKey(url)];
  if (now - failures.lastMs > kFailureMemoryMs) failures.count = 0;
  int delay = 0;
  if (failures.count > 0) {
    delay = kFirstRetryDelayMs << std::min(failures.count - 1, 8);
    delay = std::min(delay, kLongestRetryDelayMs);
  }
  ++failures.count;
  failures.lastMs = now;
  return delay;
}

void Engine::noteSuccess(const QUrl& url) { d->failures.remove(hostKey(url)); }

}  // namespace web
