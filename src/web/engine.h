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

#include "web/engine_limits.h"

class QNetworkAccessManager;

namespace web {

// The engine's tunables; their defaults and why: web/engine_limits.h.
struct EngineOptions {
  // Host or host:port that the program's own navigations may open although private (the link
  // server); a page's frames and pictures and every redirect hop never may.
  QStringList allowedPrivateHosts;
  bool allowAllPrivateHosts = false;  // for local tools: every private address is allowed
  int requestTimeoutMs = kRequestTimeoutMs;
  qint64 pageLimitBytes = kPageLimitBytes;
  qint64 imageLimitBytes = kImageLimitBytes;
  int maxRedirects = kMaxRedirects;
  int maxProbesPerPage = kMaxProbesPerPage;
  int maxParallelProbes = kMaxParallelProbes;
  int maxProbesPerHost = kMaxProbesPerHost;
  qint64 probeLimitBytes = kProbeLimitBytes;
  qint64 probeFirstBytes = kProbeFirstBytes;
  int sizeCacheEntries = kSizeCacheEntries;
  qint64 sizeCacheBytes = kSizeCacheBytes;
  int failedDecodeEntries = kFailedDecodeEntries;
  qint64 failedDecodeBytes = kFailedDecodeBytes;
  int decodedCacheEntries = kDecodedCacheEntries;
  qint64 decodedCacheBytes = kDecodedCacheBytes;
  // Tests: answers a name instead of DNS, so private answers can be tried without a network.
  std::function<QList<QHostAddress>(const QString& host)> resolver;
  int parseBudgetMs = kParseBudgetMs;
  int writeParseBudgetMs = kWriteParseBudgetMs;
  bool parseInProcess = false;  // written markup parsed here (fuzzing the model itself)
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
