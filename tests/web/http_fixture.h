// Shared pieces of the engine tests: a small HTTP/1.1 server on 127.0.0.1 (fixed routes, one
// response per connection, endless waits and slow dribbles; records what it was sent), test
// pictures, an event recorder.
#pragma once

#include <gtest/gtest.h>

#include <QHash>
#include <QImage>
#include <QTcpServer>
#include <QTest>
#include <functional>
#include <vector>

#include "web/web_browser.h"

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
  int hits(const QByteArray& path) const { return hits_.value(path); }
  QList<Request> requests() const { return requests_; }

 private:
  void onConnection();
  void respond(class QTcpSocket* socket, const Request& request);
  QTcpServer server_;
  QHash<QByteArray, std::function<Reply(const Request&)>> routes_;
  QHash<QByteArray, int> hits_;
  QList<Request> requests_;
};

QByteArray gzip(const QByteArray& data);
QByteArray deflate(const QByteArray& data);  // zlib-wrapped, as HTTP "deflate" means
// Encoded test images of a given size: "png", "jpeg", "progressive", "gif", "bmp", "webp".
QByteArray imageBytes(const QByteArray& format, int width, int height,
                      QImage::Format pixels = QImage::Format_RGB32);
// A picture of the test's own in one of those formats (but "gif").
QByteArray encoded(const QImage& image, const QByteArray& format);

struct Event {
  QString type, url, frame;  // type: "DocumentComplete" or "NavigateError"
  qint32 status = 0;
};

// A browser's events, errors cancelled as the program does, until its load has finished.
class Recorder : public QObject {
 public:
  explicit Recorder(web::WebBrowser& browser) {
    connect(&browser, &web::WebBrowser::documentComplete, this, [this](const QString& url) {
      events.push_back({"DocumentComplete", url, {}, 0});
    });
    connect(&browser, &web::WebBrowser::navigateError, this,
            [this](const QString& url, const QString& frame, qint32 status, bool* cancel) {
              events.push_back({"NavigateError", url, frame, status});
              *cancel = true;
            });
    connect(&browser, &web::WebBrowser::loadFinished, this, [this] { finished = true; });
  }
  bool wait() {
    return QTest::qWaitFor([this] { return finished; }, 15000);
  }

  std::vector<Event> events;
  bool finished = false;
};

// Navigates and waits for the load to finish: its events.
inline std::vector<Event> visit(web::WebBrowser& browser, const QString& url) {
  Recorder recorder(browser);
  browser.navigate(url);
  EXPECT_TRUE(recorder.wait()) << url.toStdString();
  return recorder.events;
}

// The fixture is on loopback: every request may reach it. The address policy's tests make
// engines of their own.
inline web::EngineOptions optionsFor(const HttpFixture&) {
  web::EngineOptions options;
  options.allowAllPrivateHosts = true;
  return options;
}

}  // namespace webtest
