// The engine the eleven browsers share: the network stack (system proxy, cookies kept as
// web/cookie_jar.h says), the address policy, the image size and decoded-picture caches, and
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
  // The panels keep their own copy of what can be seen; the cache only bridges the load to the
  // panel's first paint, where the panel cuts its part and the cache lets the picture go.
  int decodedCacheEntries = 64;
  qint64 decodedCacheBytes = 4 * 1024 * 1024;
  // Tests: answers a name instead of DNS, so private answers can be tried without a network.
  std::function<QList<QHostAddress>(const QString& host)> resolver;
  int parseBudgetMs = 2000;      // a fetched page's parse in the helper, and its written copy's
  int writeParseBudgetMs = 200;  // other written markup: the UI thread waits for it
  bool parseInProcess = false;   // written markup parsed here (fuzzing the model itself)
  // The helper also makes and parses each page's written copy (its main knows how the
  // program writes pages back), before the page completes; writing exactly that markup then
  // takes the prepared document at once.
  bool prepareWrittenCopies = false;
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

  // Decoded images for display, one copy per address; a null image when absent.
  QImage decodedImage(const QString& address) const;
  // Keeps a decoded picture (a null one is ignored), and its size as the address's size.
  void storeDecoded(const QString& address, const QImage& image);
  // A panel has cut what it shows of the picture: the full one is no longer needed.
  void releaseDecoded(const QString& address);
  // Fetches and decodes (off the UI thread) an image that is not cached yet; done() runs from
  // the event loop (also on failure) unless context is gone.
  void fetchDecoded(const QString& address, QObject* context, std::function<void()> done);
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
