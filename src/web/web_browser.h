// Our document engine's public face: a shared Engine (network, cookies, image caches, the
// private-address allow-list), one WebBrowser per browser control, and a DisplayView widget
// that renders a browser's current document.
//
// [X] http/https navigation (system proxy, redirects, cookies, gzip, deadline, size caps)
// [X] HTML, image and plain-text documents; charset from header, BOM or meta
// [X] documentElement innerHTML/innerText, images with laid-out sizes, links, frames
// [X] image sizes from the first bytes, probed in parallel before DocumentComplete
// [X] framesets: one DocumentComplete per frame, then one for the page
// [X] display rendering from the engine's decoded copy, keeping only what can be seen
// [ ] layout: sizes come from attributes and image headers, never from CSS
// [ ] scripts, plug-ins, iframes' contents: never run or loaded
//
// Private addresses: a host that is a literal loopback, private, link-local or unspecified
// address (or "localhost") is refused unless allowed. Names are not resolved by us, so a
// public name pointing at a private address is not caught here; behind a proxy the proxy
// resolves names anyway.
#pragma once

#include <QImage>
#include <QObject>
#include <QSize>
#include <QStringList>
#include <QTextBrowser>
#include <QUrl>
#include <functional>
#include <memory>

#include "platform/document.h"

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
}  // namespace status

struct EngineOptions {
  QStringList allowedPrivateHosts;    // host or host:port allowed despite being private/loopback
  bool allowAllPrivateHosts = false;  // for local tools: every private address is allowed
  int requestTimeoutMs = 15000;       // the whole request, redirects and body included; a
                                      // slideshow has no use for a page slower than this
  qint64 pageLimitBytes = 8 * 1024 * 1024;
  qint64 imageLimitBytes = 32 * 1024 * 1024;
  int maxRedirects = 10;
  int maxProbesPerPage = 300;   // distinct image addresses sized per page; the rest are 0x0
  int maxParallelProbes = 100;  // probes in flight per page
  qint64 probeLimitBytes = 1024 * 1024;  // bytes read per image before giving up on its header
  qint64 probeFirstBytes = 16 * 1024;    // asked for first (Range); 0 reads from the start
  int sizeCacheEntries = 8192;
  // The panels keep their own copy of what can be seen; the cache only bridges the load to the
  // panel's first paint, where the panel cuts its part and the cache lets the picture go.
  qint64 decodedCacheBytes = 4 * 1024 * 1024;
};

class Fetch;
struct FetchResult;

class Engine : public QObject {
  Q_OBJECT
 public:
  explicit Engine(EngineOptions options = {}, QObject* parent = nullptr);
  ~Engine() override;
  const EngineOptions& options() const { return options_; }

  // The shared network stack (proxy, cookies); the image saver may fetch through it.
  QNetworkAccessManager& network();
  // Why an address may not be opened (a status code), or 0 when it may.
  qint32 refusal(const QUrl& url) const;
  QString userAgent() const;

  // Intrinsic image sizes by address (resolved, fully encoded); an invalid QSize when unknown.
  QSize cachedSize(const QString& address) const;
  void storeSize(const QString& address, QSize size);

  // Decoded images for display, one copy per address; a null image when absent.
  QImage decodedImage(const QString& address) const;
  void storeDecoded(const QString& address, const QImage& image);
  // A panel has cut what it shows of the picture: the full one is no longer needed.
  void releaseDecoded(const QString& address);
  // Fetches and decodes an image that is not cached yet; done() runs from the event loop
  // (also on failure) unless context is gone.
  void fetchDecoded(const QString& address, QObject* context, std::function<void()> done);

  // How long to hold back the next failure report for this host: repeated failures with no
  // success in between are paced, so an immediate retry loop cannot spin.
  int failureDelayMs(const QUrl& url);
  void noteSuccess(const QUrl& url);

 private:
  struct Private;
  std::unique_ptr<Private> d;
  EngineOptions options_;
};

class WebBrowser : public QObject {
  Q_OBJECT
 public:
  explicit WebBrowser(Engine& engine, QObject* parent = nullptr);
  ~WebBrowser() override;

  // Starts loading; returns at once. Events follow from the event loop.
  void navigate(const QString& url);
  // Stops everything in flight; no event follows for it.
  void quit();
  platform::Document& document();
  Engine& engine();

  // Display browsers keep the decoded pixels of an image they navigate to.
  void setKeepsDecodedImages(bool on);
  bool isLoading() const;
  // Raises the document's onclick; false when the handler cancelled the default action.
  bool click();

 signals:
  // Once per frame (its address) and once for the page.
  void documentComplete(const QString& url);
  // *cancel starts false; the handler may set it.
  void navigateError(const QString& url, const QString& frame, qint32 status, bool* cancel);
  // A page asked for a new window (our engine runs no script, so this stays rare).
  void newWindowRequested(bool* cancel);
  // The document's content changed (loaded, written or cleared): views re-render.
  void documentChanged();
  // The navigation is over: after the page's DocumentComplete or its NavigateError.
  void loadFinished(bool ok);

 private:
  struct Private;
  std::unique_ptr<Private> d;
};

class VisibleImages;

// Renders a browser's document; a left click raises the document's onclick. Links are
// never followed and no file is ever read: images come from the engine's decoded cache, and
// each keeps only its pixels that can be seen.
class DisplayView : public QTextBrowser {
  Q_OBJECT
 public:
  explicit DisplayView(WebBrowser& browser, QWidget* parent = nullptr);

  QVariant loadResource(int type, const QUrl& name) override;
  // The pixels kept for an image address as written in the document, in its own coordinates.
  QRect keptPart(const QString& name) const;

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void render();
  QString addressOf(const QString& name) const;
  QImage picture(const QString& name);
  QRectF reachableArea() const;
  WebBrowser& browser_;
  VisibleImages* images_;
};

}  // namespace web
