// The saver's fetch through the engine against a loopback server with canned replies: pictures,
// redirects, what is not a picture, the caps, refused addresses, and cancelling.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <map>

#include "desktop/qt_image_transfer.h"
#include "qt_test_app.h"
#include "web/engine.h"

namespace {

// Answers each request line's path with a canned reply; "/slow" never answers.
class CannedServer : public QTcpServer {
 public:
  std::map<QByteArray, QByteArray> replies;
  std::vector<QByteArray> asked;
  CannedServer() {
    listen(QHostAddress::LocalHost);
    connect(this, &QTcpServer::newConnection, this, [this] {
      while (QTcpSocket* socket = nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
          buffer[socket] += socket->readAll();
          if (!buffer[socket].contains("\r\n\r\n")) return;
          const QByteArray path = buffer[socket].split(' ').value(1);
          buffer.erase(socket);
          asked.push_back(path);
          if (path == "/slow") return;
          socket->write(replies.count(path) ? replies[path] : notFound());
          socket->disconnectFromHost();
        });
      }
    });
  }
  std::string url(const char* path) const {
    return "http://127.0.0.1:" + std::to_string(serverPort()) + path;
  }
  static QByteArray reply(const QByteArray& status, const QByteArray& body,
                          const QByteArray& extra = {}) {
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nConnection: close\r\n" + extra + "\r\n" + body;
  }
  static QByteArray notFound() { return reply("404 Not Found", "no such image"); }

 private:
  std::map<QTcpSocket*, QByteArray> buffer;
};

QByteArray png() {
  QImage image(4, 3, QImage::Format_RGB32);
  image.fill(Qt::blue);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes;
}

web::EngineOptions options(bool reachLoopback) {
  web::EngineOptions options;
  options.allowAllPrivateHosts = reachLoopback;
  options.imageLimitBytes = 1024;
  options.requestTimeoutMs = 300;
  options.resolver = [](const QString& host) {
    return QList<QHostAddress>{QHostAddress(host == "lan.test" ? "192.168.1.20" : "127.0.0.1")};
  };
  return options;
}

struct ImageTransferTest : ::testing::Test {
  static void SetUpTestSuite() { desktop_test::ensureApplication(); }
  CannedServer server;
  web::Engine engine{options(true)};
  desktop::QtImageTransfer transfer{engine};
};

TEST_F(ImageTransferTest, SavesOnlyPicturesAnsweredWith2xx) {
  server.replies["/a.png"] = CannedServer::reply("200 OK", png());
  server.replies["/moved"] = CannedServer::reply("302 Found", "", "Location: /a.png\r\n");
  server.replies["/page"] = CannedServer::reply("200 OK", "<html><p>no picture</p></html>");
  server.replies["/gone.png"] = CannedServer::reply("404 Not Found", png());
  server.replies["/big"] = CannedServer::reply("200 OK", png() + QByteArray(4096, 'x'));
  server.replies["/loop"] = CannedServer::reply("302 Found", "", "Location: /loop\r\n");
  struct Case {
    std::string url;
    bool ok;
  } cases[] = {
      {server.url("/a.png"), true}, {server.url("/moved"), true},
      {server.url("/page"), false}, {server.url("/gone.png"), false},
      {server.url("/big"), false},  {server.url("/loop"), false},
      {server.url("/slow"), false}, {"file:///etc/passwd", false},
      {"not a url", false},         {"http://127.0.0.1:1/closed", false},
  };
  for (const Case& c : cases) {
    const auto result = transfer.fetch(c.url);
    EXPECT_EQ(result.ok, c.ok) << c.url << ": " << result.error;
    EXPECT_EQ(result.bytes, c.ok ? png().toStdString() : "") << c.url;
    EXPECT_EQ(result.error.empty(), c.ok) << c.url;
  }
}

TEST_F(ImageTransferTest, PrivateAddressesAreNeverAsked) {
  server.replies["/a.png"] = CannedServer::reply("200 OK", png());
  web::Engine policed(options(false));
  desktop::QtImageTransfer saver(policed);
  const std::string port = std::to_string(server.serverPort());
  for (const std::string& url : {server.url("/a.png"), "http://lan.test:" + port + "/a.png",
                                 "http://loop.test:" + port + "/a.png"}) {
    const auto result = saver.fetch(url);
    EXPECT_FALSE(result.ok) << url;
    EXPECT_EQ(result.error, "refused address: " + url);
  }
  EXPECT_TRUE(server.asked.empty());
}

TEST_F(ImageTransferTest, ANewerSaveCancelsOnlyTheOlderOne) {
  server.replies["/a.png"] = CannedServer::reply("200 OK", png());
  platform::TransferResult newer;
  QTimer::singleShot(50, [&] {
    transfer.cancel();
    newer = transfer.fetch(server.url("/a.png"));
  });
  const auto older = transfer.fetch(server.url("/slow"));
  EXPECT_FALSE(older.ok);
  EXPECT_TRUE(newer.ok) << newer.error;
  EXPECT_EQ(newer.bytes, png().toStdString());
}

}  // namespace
