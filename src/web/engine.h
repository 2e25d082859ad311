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
  int pictureCacheEntries = kPictureCacheEntries;
  qint64 pictureCacheBytes = kPictureCacheBytes;
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
