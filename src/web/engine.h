// The engine the eleven browsers share: the network stack (system proxy, cookies kept as
// web/cookie_jar.h says), the address policy, the image size and picture caches, and
// the pacing of repeated failures.
//
// Private addresses: a host that is, or resolves to, a loopback, private, link-local, reserved
// ... address (or "localhost") is refused (web/destination.h); the allow-list applies only to
// the program's own navigations (WebBrowser::Origin::Program), never to what a page links to,
// frames or shows, nor to redirect hops.
#pragma once

#include <QHostAddress>
#include <QImage>
#include <QObject>
#include <QRect>
#include <QSize>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <memory>

class QNetworkAccessManager;

namespace web {

// NavigateError status codes of our own, besides HTTP statuses and the logic's two
// (platform::kServerNotFound for an unreachable server, platform::kObjectNotFound).
namespace status {
constexpr qint32 kInvalidAddress = static_cast<qint32>(0x800C0002u);
constexpr qint32 kDownloadFailed = static_cast<qint32>(0x800C0008u);
constexpr qint32 kTooLarge = static_cast<qint32>(0x800C0009u);
constexpr qint32 kTimedOut = static_cast<qint32>(0x800C000Bu);
constexpr qint32 kRefusedScheme = static_cast<qint32>(0x800C000Du);
constexpr qint32 kSecurityFailure = static_cast<qint32>(0x800C000Eu);
constexpr qint32 kUnsupportedType = static_cast<qint32>(0x800C000Fu);
constexpr qint32 kRefusedAddress = static_cast<qint32>(0x800C0010u);
constexpr qint32 kRedirectFailed = static_cast<qint32>(0x800C0014u);
// The parse helper gave up on the page: over its time or memory budget, crashed, or answered
// garbage. Ours alone; no other source reports it.
constexpr qint32 kParseFailed = static_cast<qint32>(0x800C0100u);
}  // namespace status

struct EngineOptions {
  // Host or host:port that the program's own navigations may open although private (the link
  // server); a page's frames and pictures and every redirect hop never may.
  QStringList allowedPrivateHosts;
  bool allowAllPrivateHosts = false;  // for local tools: every private address is allowed
  int requestTimeoutMs = 15000;       // the whole request, redirects and body included; a
                                      // slideshow has no use for a page slower than this
  qint64 pageLimitBytes = 8 * 1024 * 1024;
  qint64 imageLimitBytes = 32 * 1024 * 1024;
  int maxRedirects = 10;
  int maxProbesPerPage = 300;   // distinct image addresses sized per page; the rest are 0x0
  int maxParallelProbes = 100;  // probes in flight per page
  int maxProbesPerHost = 6;     // probes running at once per host, all pages together
  qint64 probeLimitBytes = 1024 * 1024;  // bytes read per image before giving up on its header
  qint64 probeFirstBytes = 16 * 1024;    // asked for first (Range); 0 reads from the start
  // Every cache is bounded in bytes as well as entries: its keys are addresses a site chooses.
  int sizeCacheEntries = 8192;
  qint64 sizeCacheBytes = 4 * 1024 * 1024;
  int failedDecodeEntries = 512;  // pictures that would not decode: not fetched again
  qint64 failedDecodeBytes = 512 * 1024;
  // The panels keep their own pixels of what can be seen; the cache only bridges the load to
  // the panel's first paint, where the panel decodes its part and the cache lets the bytes go.
  int pictureCacheEntries = 64;
  qint64 pictureCacheBytes = 4 * 1024 * 1024;
  // Tests: answers a name instead of DNS, so private answers can be tried without a network.
  std::function<QList<QHostAddress>(const QString& host)> resolver;
  int parseBudgetMs = 2000;      // a fetched page's parse in the helper
  int writeParseBudgetMs = 200;  // written markup: the UI thread waits for it
  bool parseInProcess = false;   // written markup parsed here (fuzzing the model itself)
};

class Fetch;
struct FetchResult;
class HostPacing;
class ParseClient;
class PictureDecoder;

class Engine : public QObject {
  Q_OBJECT
 public:
  explicit Engine(EngineOptions options = {}, QObject* parent = nullptr);
  ~Engine() override;
  const EngineOptions& options() const { return options_; }

  // The shared network stack (proxy, cookies); the image saver may fetch through it.
  QNetworkAccessManager& network();
  // Why an address as written may not be opened (a status code), or 0 when it may;
  // ownRequest: one of the program's own navigations, to which the allow-list applies.
  qint32 refusal(const QUrl& url, bool ownRequest = false) const;
  QString userAgent() const;
  // Probe turns per host, and hosts that asked for a pause (refusal() reports those).
  HostPacing& pacing();
  // The parse helper all documents of untrusted markup go through.
  ParseClient& parser();
  // Where markup written while the UI thread waits is parsed: the same helper when it is idle,
  // else a second one, so a write never queues behind a long page parse.
  ParseClient& writeParser();

  // Intrinsic image sizes by address (resolved, fully encoded); an invalid QSize when unknown.
  QSize cachedSize(const QString& address) const;
  void storeSize(const QString& address, QSize size);

  // Pictures for display as fetched, one copy per address: kept from the page's load until a
  // panel has decoded what it shows, since the part that shows is known only once placed.
  bool hasPicture(const QString& address) const;
  void storePicture(const QString& address, const QByteArray& bytes);
  void releasePicture(const QString& address);
  // Fetches a picture that is not kept (its size is stored too); done() runs from the event
  // loop, also on failure, unless context is gone.
  void fetchPicture(const QString& address, QObject* context, std::function<void()> done);
  // Decodes (off the UI thread) the part of a picture a panel shows, in the picture's shown
  // coordinates, fetching the picture again when it is no longer kept. done(pixels) runs from
  // the event loop unless context is gone; null pixels when the picture would not decode
  // (it is then not tried again).
  void decodePart(const QString& address, const QRect& part, QObject* context,
                  std::function<void(const QImage& pixels)> done);
  // Decodes pictures for the panels, bounded; holds the panels' size window.
  PictureDecoder& decoder();

  // How long to hold back the next failure report for this host: repeated failures with no
  // success in between are paced, so an immediate retry loop cannot spin.
  int failureDelayMs(const QUrl& url);
  void noteSuccess(const QUrl& url);

 private:
  struct Private;
  std::unique_ptr<Private> d;
  EngineOptions options_;
};

}  // namespace web
