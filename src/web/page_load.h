// One navigation of one browser: the page fetch, its frameset frames, the size probes of its
// images (a display browser's picture kept for its panel too), and the events in their order (each
// frame's completion, then the page's). Every report comes from the event loop; after cancel()
// none follows.
#pragma once

#include <QObject>
#include <QSet>
#include <QSize>
#include <QTimer>
#include <QUrl>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "web/document_model.h"

namespace web {

class Engine;
class Fetch;
class SizeProbe;

class PageLoad : public QObject {
  Q_OBJECT
 public:
  struct Reports {
    std::function<void(const QString& url)> frameComplete;
    // A frameset's own document, ready before its frames complete: their events must find the
    // new page in the browser, not the one it replaces.
    std::function<void(std::shared_ptr<DocumentModel> model, const QString& url)> framesetReady;
    // Returns true when the handler cancelled the error page.
    std::function<bool(const QString& url, const QString& frame, qint32 status)> navigateError;
    std::function<void(std::shared_ptr<DocumentModel> model, const QString& url)> pageComplete;
    // The page failed; model is the error page to show, or null when the error was cancelled.
    std::function<void(std::shared_ptr<DocumentModel> model, const QString& url)> pageFailed;
  };

  PageLoad(Engine& engine, const QString& address, bool keepPictures, Reports reports,
           QObject* parent);
  ~PageLoad() override;
  // The program's own navigation: its first hop may use the engine's allow-list.
  void setOwnRequest(bool own) { ownRequest_ = own; }
  void start();
  void cancel();
  bool finished() const { return finished_ || cancelled_; }

 private:
  enum class Kind { Html, Image, Text, Unsupported };
  void onPageFetched();
  void onPageParsed();
  // Untrusted markup goes to the parse helper; then() gets null when the helper gave up.
  // withCopy: a document the browser shows, whose written copy the helper makes too; the page
  // completes once that copy is in (or the helper made none).
  void parseUntrusted(const QUrl& url, const QByteArray& utf8,
                      std::function<void(std::shared_ptr<DocumentModel>)> then,
                      bool withCopy = false);
  void frameDone(const QString& url, const QString& frameName, qint32 status);
  void fail(const QUrl& url, qint32 status, const QByteArray& body, const QByteArray& contentType);
  std::shared_ptr<DocumentModel> imageDocument(const QUrl& url, const QByteArray& body);
  void loadFrame(const std::string& location, const std::string& name, int topIndex, int level);
  void startProbes();
  void pumpProbes();
  void abandonProbes();
  void maybeFinish();

  Engine& engine_;
  QString address_;
  bool keepPictures_;
  bool ownRequest_ = false;
  Reports reports_;
  Fetch* page_ = nullptr;
  std::shared_ptr<DocumentModel> model_;
  QString pageUrl_;
  int pendingFrames_ = 0;
  int framesStarted_ = 0;
  std::deque<QString> probeQueue_;
  QSet<SizeProbe*> probes_;
  QTimer probeDeadline_;
  bool copyPending_ = false;  // the helper is still making the written copy
  bool finished_ = false;
  bool cancelled_ = false;
};

}  // namespace web
