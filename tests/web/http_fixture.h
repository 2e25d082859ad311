// A small HTTP/1.1 server on 127.0.0.1 for the engine tests: fixed routes, one response per
// connection, optional delays, endless waits and slow dribbles; records what it was sent.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QTcpServer>
#include <functional>

namespace webtest {

struct Reply {
  int status = 200;
  QByteArray contentType = "text/html";
  QByteArray body = {};
  QList<QPair<QByteArray, QByteArray>> headers = {};
  bool hang = false;       // never answer
  int dribbleMs = 0;       // send the body a byte at a time with this pause
  bool sendLength = true;  // Content-Length (else the body ends with the connection)
};

struct Request {
  QByteArray path;
  QHash<QByteArray, QByteArray> headers;  // names lower case
};

class HttpFixture : public QObject {
  Q_OBJECT
 public:
  HttpFixture();
  QString url(const QString& path) const;
  quint16 port() const { return server_.serverPort(); }
  void route(const QByteArray& path, Reply reply);
  void route(const QByteArray& path, std::function<Reply(const Request&)> handler);
  // Serves the files under a folder at the given prefix.
  void serveFolder(const QByteArray& prefix, const QString& folder);
  int hits(const QByteArray& path) const { return hits_.value(path); }
  QList<Request> requests() const { return requests_; }

 private:
  void onConnection();
  void respond(class QTcpSocket* socket, const Request& request);
  QTcpServer server_;
  QHash<QByteArray, std::function<Reply(const Request&)>> routes_;
  QList<QPair<QByteArray, QString>> folders_;
  QHash<QByteArray, int> hits_;
  QList<Request> requests_;
};

QByteArray gzip(const QByteArray& data);
QByteArray deflate(const QByteArray& data);  // zlib-wrapped, as HTTP "deflate" means
// Encoded test images of a given size: "png", "jpeg", "progressive", "gif", "bmp", "webp".
QByteArray imageBytes(const QByteArray& format, int width, int height);

}  // namespace webtest
