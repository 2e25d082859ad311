// The saver's fetch against a loopback server with canned replies: bodies, redirects,
// error pages, the size cap, the time-out, refused schemes, and cancelling.
#include <gtest/gtest.h>

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <map>

#include "desktop/qt_image_transfer.h"
#include "qt_test_app.h"

namespace {

// Answers each request line's path with a canned reply; "/slow" never answers.
class CannedServer : public QTcpServer {
 public:
  std::map<QByteArray, QByteArray> replies;
  CannedServer() {
    listen(QHostAddress::LocalHost);
    connect(this, &QTcpServer::newConnection, this, [this] {
      while (QTcpSocket* socket = nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
          buffer[socket] += socket->readAll();
          if (!buffer[socket].contains("\r\n\r\n")) return;
          const QByteArray path = buffer[socket].split(' ').value(1);
          buffer.erase(socket);
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

struct ImageTransferTest : ::testing::Test {
  static void SetUpTestSuite() { desktop_test::ensureApplication(); }
  CannedServer server;
  desktop::QtImageTransfer transfer;
};

TEST_F(ImageTransferTest, FetchesBodiesFollowingRedirectsAndKeepsErrorPages) {
  const QByteArray jpeg("\xFF\xD8\xFF\xE0 binary \x00 bytes", 20);
  server.replies["/a.jpg"] = CannedServer::reply("200 OK", jpeg);
  server.replies["/moved"] = CannedServer::reply("302 Found", "", "Location: /a.jpg\r\n");
  struct Case {
    const char* path;
    QByteArray body;
  };
  for (const Case& c :
       {Case{"/a.jpg", jpeg}, Case{"/moved", jpeg}, Case{"/missing", "no such image"}}) {
    const auto result = transfer.fetch(server.url(c.path));
    EXPECT_TRUE(result.ok) << c.path << ": " << result.error;
    EXPECT_EQ(result.bytes, c.body.toStdString()) << c.path;
  }
}

TEST_F(ImageTransferTest, FailsWithoutBytesWhenItCannotFetch) {
  server.replies["/big"] = CannedServer::reply("200 OK", QByteArray(4096, 'x'));
  server.replies["/loop"] = CannedServer::reply("302 Found", "", "Location: /loop\r\n");
  transfer.setMaxBytes(1024);
  transfer.setTimeoutMs(300);
  for (const std::string& url : {server.url("/big"), server.url("/slow"), server.url("/loop"),
                                 std::string("file:///etc/passwd"), std::string("not a url"),
                                 std::string("http://127.0.0.1:1/closed")}) {
    const auto result = transfer.fetch(url);
    EXPECT_FALSE(result.ok) << url;
    EXPECT_TRUE(result.bytes.empty()) << url;
    EXPECT_FALSE(result.error.empty()) << url;
  }
}

TEST_F(ImageTransferTest, CancelFromAnEventEndsTheFetch) {
  QTimer::singleShot(50, [this] { transfer.cancel(); });
  const auto result = transfer.fetch(server.url("/slow"));
  EXPECT_FALSE(result.ok);
}

}  // namespace
