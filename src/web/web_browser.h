// Our document engine's public face: a shared Engine (network, cookies, image-size cache,
// the private-address allow-list), one WebBrowser per browser control, and a DisplayView
// widget that renders a browser's current document.
//
// [X] navigate / quit / document, events later from the event loop
// [ ] real HTTP, parsing and image sizing (the engine change fills these in)
#pragma once

#include <QObject>
#include <QStringList>
#include <QTextBrowser>
#include <memory>

#include "platform/document.h"

namespace web {

struct EngineOptions {
  QStringList allowedPrivateHosts;  // host or host:port allowed despite being private/loopback
  int requestTimeoutMs = 30000;
  qint64 pageLimitBytes = 8 * 1024 * 1024;
  qint64 imageLimitBytes = 32 * 1024 * 1024;
};

class Engine : public QObject {
  Q_OBJECT
 public:
  explicit Engine(EngineOptions options = {}, QObject* parent = nullptr);
  ~Engine() override;
  const EngineOptions& options() const { return options_; }

 private:
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

 signals:
  // Once per frame (its address) and once for the page.
  void documentComplete(const QString& url);
  // *cancel starts false; the handler may set it.
  void navigateError(const QString& url, const QString& frame, qint32 status, bool* cancel);
  // A page asked for a new window (our engine runs no script, so this stays rare).
  void newWindowRequested(bool* cancel);
  // The document's content changed (loaded, written or cleared): views re-render.
  void documentChanged();

 private:
  struct Private;
  std::unique_ptr<Private> d;
};

// Renders a browser's document; a left click raises the document's onclick.
class DisplayView : public QTextBrowser {
  Q_OBJECT
 public:
  explicit DisplayView(WebBrowser& browser, QWidget* parent = nullptr);

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void render();
  WebBrowser& browser_;
};

}  // namespace web
