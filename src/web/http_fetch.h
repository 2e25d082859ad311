// One GET through the engine's network stack: address policy checked on the request and on
// every redirect (followed here, not by Qt, as soon as its headers arrive, so each hop is checked
// and counted and no redirect body is read), each hop sent to the address that was checked
// (web/destination.h), a deadline over the whole request, a byte cap (the image cap once the reply
// says it is an image) over a bounded read buffer, and an optional early stop once enough bytes
// have arrived. A reply cut short or undecodable is a failure, never a complete body.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <functional>

class QNetworkReply;

namespace web {

class Engine;
struct Destination;

struct FetchResult {
  QUrl finalUrl;
  int httpStatus = 0;      // 0 when no HTTP reply arrived
  qint32 error = 0;        // 0, or the NavigateError status of a network-level failure
  QByteArray contentType;  // the Content-Type header, as sent
  QByteArray body;
  bool stoppedEarly = false;  // the data callback had enough
};

class Fetch : public QObject {
  Q_OBJECT
 public:
  enum class Kind { Page, Image };
  Fetch(Engine& engine, const QUrl& url, Kind kind, QObject* parent = nullptr);
  ~Fetch() override;

  // Called as bytes arrive; returning true stops the transfer (a successful early stop).
  void setProgress(std::function<bool(const QByteArray& soFar)> progress) {
    progress_ = std::move(progress);
  }
  void setByteLimit(qint64 limit) { limitOverride_ = limit; }
  // Asks only for the first bytes; a server may still send the whole body (status 200).
  void setFirstBytes(qint64 count) { firstBytes_ = count; }
  // The program's own navigation: its first hop may use the engine's allow-list.
  void setOwnRequest(bool own) { ownRequest_ = own; }
  // Starts the request; finished() always follows from the event loop.
  void start();
  void abort();
  const FetchResult& result() const { return result_; }

 signals:
  void finished();

 private:
  void onMetaData();
  void onReadyRead();
  void request(const QUrl& url, bool ownRequest);
  void send(const QUrl& url, const Destination& destination);
  bool followRedirect();
  void onFinished();
  void fail(qint32 error);
  void finish();
  qint64 limit() const;

  Engine& engine_;
  QUrl url_;
  QUrl current_;  // the hop in flight, as addressed (not the checked address it went to)
  Kind kind_;
  bool ownRequest_ = false;
  qint64 limitOverride_ = -1;
  bool isImage_ = false;
  int redirects_ = 0;
  QPointer<QNetworkReply> reply_;
  QTimer deadline_;
  std::function<bool(const QByteArray&)> progress_;
  qint64 firstBytes_ = 0;
  FetchResult result_;
  bool done_ = false;
};

// The NavigateError status for a finished transfer: its network-level error, else an HTTP
// error status (400 and above), else 0.
qint32 navigationStatus(const FetchResult& result);

}  // namespace web
