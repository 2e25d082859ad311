// Engine: the network stack, caches and policies that all browsers share.
#include "web/engine.h"

#include <QDateTime>
#include <QHash>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QPointer>
#include <algorithm>

#include "quorel_version.h"
#include "web/address_policy.h"
#include "web/cookie_jar.h"
#include "web/host_pacing.h"
#include "web/http_fetch.h"
#include "web/image_probe.h"
#include "web/lru_cache.h"
#include "web/parse_client.h"
#include "web/picture_decoder.h"
#include "web/system_proxies.h"

namespace web {
namespace {

constexpr int kFirstRetryDelayMs = 250;
constexpr int kLongestRetryDelayMs = 4000;
constexpr qint64 kFailureMemoryMs = 60000;
constexpr int kSpareParserIdleMs = 30000;

QString hostKey(const QUrl& url) {
  const QString host = url.host().toLower();
  return host.isEmpty() ? url.scheme().toLower() + ':' : host;
}

}  // namespace

struct Engine::Private {
  explicit Private(const EngineOptions& options)
      : sizes(options.sizeCacheEntries, options.sizeCacheBytes),
        pictures(options.pictureCacheEntries, options.pictureCacheBytes),
        failedDecodes(options.failedDecodeEntries, options.failedDecodeBytes),
        pacing(options.maxProbesPerHost) {}

  QNetworkAccessManager network;
  LruCache<QSize> sizes;
  LruCache<QByteArray> pictures;
  LruCache<bool> failedDecodes;
  HostPacing pacing;

  struct Failures {
    int count = 0;
    qint64 lastMs = 0;
  };
  QHash<QString, Failures> failures;

  struct Waiter {
    QPointer<QObject> context;
    std::function<void()> done;
  };
  QHash<QString, QList<Waiter>> fetching;
  std::unique_ptr<ParseClient> parser;
  std::unique_ptr<ParseClient> spareParser;
  // Last: destroyed first, so no decode outlives the caches.
  PictureDecoder decoder;
};

Engine::Engine(EngineOptions options, QObject* parent)
    : QObject(parent), d(std::make_unique<Private>(options)), options_(std::move(options)) {
  // Honours http_proxy, https_proxy and no_proxy (the network stack owns the factory).
  QNetworkProxyFactory::setApplicationProxyFactory(new SystemProxies);
  d->network.setAutoDeleteReplies(false);
  d->network.setCookieJar(new CookieJar);  // the network stack owns it
}

Engine::~Engine() = default;

QNetworkAccessManager& Engine::network() { return d->network; }

qint32 Engine::refusal(const QUrl& url, bool ownRequest) const {
  if (const qint32 refused =
          addressRefusal(url, ownRequest ? options_.allowedPrivateHosts : QStringList(),
                         options_.allowAllPrivateHosts))
    return refused;
  return d->pacing.waitingStatus(url);
}

HostPacing& Engine::pacing() { return d->pacing; }

// The one User-Agent of the program's requests (pages, probes, pictures, saves): it names the
// program, its version and where to read about it, so a site's owner knows who is asking.
QString Engine::userAgent() const {
  return QStringLiteral("Mozilla/5.0 (compatible; Quorel/" QUOREL_VERSION "; +" QUOREL_HOME_PAGE
                        ")");
}

ParseClient& Engine::parser() {
  if (!d->parser) d->parser = std::make_unique<ParseClient>(ParseClient::locateHelper());
  return *d->parser;
}

ParseClient& Engine::writeParser() {
  ParseClient& pages = parser();
  if (pages.idle()) return pages;
  if (!d->spareParser) {
    d->spareParser = std::make_unique<ParseClient>(ParseClient::locateHelper());
    // Needed only while a page parse runs long: no second process kept in a quiet run.
    d->spareParser->stopWhenIdleFor(kSpareParserIdleMs);
  }
  return *d->spareParser;
}

QSize Engine::cachedSize(const QString& address) const {
  const QSize* size = d->sizes.find(address);
  return size ? *size : QSize();
}

void Engine::storeSize(const QString& address, QSize size) {
  if (address.size() <= kMaxAddressLength) d->sizes.insert(address, size);
}

bool Engine::hasPicture(const QString& address) const {
  return d->pictures.find(address) != nullptr;
}

void Engine::storePicture(const QString& address, const QByteArray& bytes) {
  if (address.size() <= kMaxAddressLength) d->pictures.insert(address, bytes, bytes.size());
}

void Engine::releasePicture(const QString& address) { d->pictures.remove(address); }

PictureDecoder& Engine::decoder() { return d->decoder; }

void Engine::fetchPicture(const QString& address, QObject* context, std::function<void()> done) {
  if (address.size() > kMaxAddressLength) return;  // never fetched, so never to be shown
  if (hasPicture(address)) {
    QTimer::singleShot(0, context, std::move(done));
    return;
  }
  if (d->failedDecodes.find(address)) return;  // asked before and failed: no loop of retries
  // A hidden panel asks too (its document is laid out all the same): the window spares it.
  const QSize known = cachedSize(address);
  if (known.isValid() && !d->decoder.panelAccepts(known)) return;
  auto found = d->fetching.find(address);
  if (found != d->fetching.end()) {
    found->append({context, std::move(done)});
    return;
  }
  d->fetching.insert(address, {{context, std::move(done)}});
  auto* fetch = new Fetch(*this, QUrl(address, QUrl::StrictMode), Fetch::Kind::Image, this);
  connect(fetch, &Fetch::finished, this, [this, fetch, address] {
    const FetchResult& result = fetch->result();
    fetch->deleteLater();
    const QList<Private::Waiter> waiters = d->fetching.take(address);
    const QSize shown = navigationStatus(result) == 0 ? shownSizeOf(result.body) : QSize();
    if (shown.isValid() && d->decoder.panelAccepts(shown)) {
      storeSize(address, shown);
      // Nobody left to show it: not kept.
      if (std::any_of(waiters.begin(), waiters.end(),
                      [](const Private::Waiter& waiter) { return waiter.context; }))
        storePicture(address, result.body);
    } else {
      d->failedDecodes.insert(address, true);
    }
    for (const Private::Waiter& waiter : waiters) {
      if (waiter.context) waiter.done();
    }
  });
  fetch->start();
}

void Engine::decodePart(const QString& address, const QRect& part, QObject* context,
                        std::function<void(const QImage& pixels)> done) {
  const QByteArray* bytes = d->pictures.find(address);
  if (!bytes) {
    if (d->failedDecodes.find(address)) return;
    fetchPicture(address, context, [this, address, part, context, done = std::move(done)] {
      if (hasPicture(address)) decodePart(address, part, context, done);
    });
    return;
  }
  d->decoder.decode(*bytes, part, context, [this, address, done](const QImage& pixels) {
    if (pixels.isNull()) {
      d->failedDecodes.insert(address, true);
      releasePicture(address);
    }
    done(pixels);
  });
}

int Engine::failureDelayMs(const QUrl& url) {
  const qint64 now = QDateTime::currentMSecsSinceEpoch();
  if (d->failures.size() > kFailingHostEntries) d->failures.clear();
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
