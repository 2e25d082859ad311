// The link server over real HTTP on a loopback port.
#include "link_server/vendor_server.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QSet>
#include <QTcpSocket>
#include <QTest>
#include <algorithm>
#include <memory>
#include <vector>

#include "quorel_version.h"

namespace {

constexpr int kPatienceMs = 10'000;  // a failure guard only, never a measured time

class QtEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "test_vendor";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) app_ = std::make_unique<QCoreApplication>(argc, argv);
  }
  // Before static destruction: Qt must not outlive its own globals.
  void TearDown() override { app_.reset(); }

 private:
  std::unique_ptr<QCoreApplication> app_;
};
[[maybe_unused]] testing::Environment* const qtEnvironment =
    testing::AddGlobalTestEnvironment(new QtEnvironment);

struct Reply {
  int status = 0;
  QByteArray body;
  QByteArray contentType;
  QByteArray location;
};

class VendorServerTest : public testing::Test {
 protected:
  void start(vendor::ServerOptions options = {}) {
    options.log = [this](const QString& line) { logLines.append(line); };
    const auto links = vendor::LinkList::parse(
        QStringLiteral("http://site1.test/index.html|2|http://site1.test/\n"
                       "http://site2.test/images/a.jpg|0|http://site2.test/\n"
                       "adult http://night.test/|3|http://night.test/\n"));
    server = std::make_unique<vendor::VendorServer>(links, options);
    ASSERT_TRUE(server->listen(QHostAddress::LocalHost, 0)) << server->errorString().toStdString();
    network.setProxy(QNetworkProxy::NoProxy);
  }

  QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(server->serverPort()); }

  Reply fetch(const QString& pathAndQuery, const QByteArray& verb = "GET") {
    QNetworkRequest request(QUrl(base() + pathAndQuery, QUrl::TolerantMode));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    std::unique_ptr<QNetworkReply> reply(network.sendCustomRequest(request, verb));
    EXPECT_TRUE(QTest::qWaitFor([&] { return reply->isFinished(); }, kPatienceMs));
    return {reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), reply->readAll(),
            reply->header(QNetworkRequest::ContentTypeHeader).toByteArray(),
            reply->rawHeader("Location")};
  }

  // Sends raw bytes and returns whatever comes back before the server closes the connection.
  QByteArray exchange(const QByteArray& bytes, const QHostAddress& from = {}) {
    QTcpSocket socket;
    if (!from.isNull()) socket.bind(from);
    socket.connectToHost(QHostAddress::LocalHost, server->serverPort());
    EXPECT_TRUE(socket.waitForConnected(kPatienceMs));
    socket.write(bytes);
    QByteArray received;
    const bool closed = QTest::qWaitFor(
        [&] {
          received += socket.readAll();
          return socket.state() == QAbstractSocket::UnconnectedState;
        },
        kPatienceMs);
    EXPECT_TRUE(closed) << "server left it open";
    return received + socket.readAll();
  }

  std::unique_ptr<vendor::VendorServer> server;
  QNetworkAccessManager network;
  QStringList logLines;
};

TEST_F(VendorServerTest, HandsOutOneLinkLineFromTheSideTheModeAsksFor) {
  start();
  const QSet<QByteArray> ordinary = {"http://site1.test/index.html|2|http://site1.test/",
                                     "http://site2.test/images/a.jpg|0|http://site2.test/"};
  QSet<QByteArray> seen;
  for (int i = 0; i < 30; ++i) {
    const Reply reply = fetch(QStringLiteral("/quorel/bin/getlinks.asp"));
    ASSERT_EQ(reply.status, 200);
    EXPECT_TRUE(ordinary.contains(reply.body)) << reply.body.toStdString();
    seen.insert(reply.body);
  }
  EXPECT_EQ(seen, ordinary);
  for (const char* query : {"?mode=adult", "?mode=ADULT", "?x=1&mode=adult"}) {
    const Reply reply = fetch(QStringLiteral("/quorel/bin/getlinks.asp") + QLatin1String(query));
    EXPECT_EQ(reply.body, "http://night.test/|3|http://night.test/") << query;
  }
}

TEST_F(VendorServerTest, ClickThroughRedirectsToTheListedSitesOnly) {
  start();
  struct Case {
    const char* url;  // as the program encodes: every byte but letters and digits, spaces '+'
    int status;
    const char* location;
  };
  const Case cases[] = {
      {"http%3A%2F%2Fsite1%2Etest%2Fimages%2Fa%2Ejpg", 302, "http://site1.test/images/a.jpg"},
      {"https%3A%2F%2Fsite1%2Etest%2Fa+b%2Ejpg%3Fx%3D1%26y%3D2", 302,
       "https://site1.test/a%20b.jpg?x=1&y=2"},
      {"http%3A%2F%2Fsite1%2Etest%2F%C3%A9t%C3%A9%2Ejpg", 302,
       "http://site1.test/%C3%A9t%C3%A9.jpg"},
      {"HTTP%3A%2F%2FSite1%2Etest%2F", 302, "http://site1.test/"},
      {"http%3A%2F%2Fimg%2Ecdn%2Esite2%2Etest%2Fb%2Ejpg", 302, "http://img.cdn.site2.test/b.jpg"},
      {"http%3A%2F%2Fwww%2Esite2%2Etest%2F", 302, "http://www.site2.test/"},
      {"http%3A%2F%2Fnight%2Etest%2F", 302, "http://night.test/"},
      // Anywhere else the server does not send a browser on its own.
      {"http%3A%2F%2Fevil%2Etest%2F", 404, ""},
      {"http%3A%2F%2Fevilsite1%2Etest%2F", 404, ""},
      {"http%3A%2F%2Fsite1%2Etest%2Eevil%2Etest%2F", 404, ""},
      {"http%3A%2F%2Fsite1%2Etest%40evil%2Etest%2F", 404, ""},
      {"http%3A%2F%2F127%2E0%2E0%2E1%2F", 404, ""},
      // Not web addresses at all.
      {"http%3A%2F%2Fsite1%2Etest%2F%0D%0ASet-Cookie%3A+x%3D1", 400, ""},
      {"file%3A%2F%2F%2Fetc%2Fpasswd", 400, ""},
      {"javascript%3Aalert%281%29", 400, ""},
      {"ftp%3A%2F%2Fsite1%2Etest%2F", 400, ""},
      {"site1%2Etest%2Fa%2Ejpg", 400, ""},
      {"http%3A%2F%2F", 400, ""},
      {"", 400, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    const Reply reply = fetch(QStringLiteral("/quorel/bin/click.asp?url=") + QLatin1String(c.url));
    EXPECT_EQ(reply.status, c.status);
    EXPECT_EQ(reply.location, QByteArray(c.location));
  }
  EXPECT_EQ(fetch(QStringLiteral("/quorel/bin/click.asp")).status, 400);
  // The refusal names the address for the user to follow, escaped.
  EXPECT_TRUE(fetch(QStringLiteral("/quorel/bin/click.asp?url=http%3A%2F%2Fevil%2Etest%2F%3Ca%3E"))
                  .body.contains("http://evil.test/%3Ca%3E"));

  // A reloaded list: the sites of the one before stay for the pictures still shown.
  const char* const site1 = "/quorel/bin/click.asp?url=http%3A%2F%2Fsite1%2Etest%2F";
  server->setLinks(
      vendor::LinkList::parse(QStringLiteral("http://site3.test/|2|http://site3.test/")));
  EXPECT_EQ(fetch(QLatin1String(site1)).status, 302);
  server->setLinks(
      vendor::LinkList::parse(QStringLiteral("http://site4.test/|2|http://site4.test/")));
  EXPECT_EQ(fetch(QLatin1String(site1)).status, 404);
}

TEST_F(VendorServerTest, ServesTheProjectPagesAndRefusesTheRest) {
  start();
  struct Case {
    const char* path;
    const char* verb;
    int status;
    const char* text;  // in the body
  };
  const Case cases[] = {
      {"/quorel", "GET", 200, "<title>Quorel</title>"},
      {"/quorel/", "GET", 200, "<title>Quorel</title>"},
      {"/quorel/download/", "GET", 200, QUOREL_VERSION},
      {"/forums", "GET", 200, "Forums"},
      {"/Quorel/Bin/Version.asp", "GET", 200, QUOREL_VERSION},
      {"/quorel/bin/nothing.asp", "GET", 404, "Not Found"},
      {"/quorel/bin/version.asp", "POST", 405, "Method Not Allowed"},
      {"/quorel/bin/version.asp", "HEAD", 200, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.verb) + " " + c.path);
    const Reply reply = fetch(QLatin1String(c.path), c.verb);
    EXPECT_EQ(reply.status, c.status);
    EXPECT_TRUE(reply.body.contains(c.text)) << reply.body.toStdString();
    if (QByteArray(c.verb) == "HEAD") {
      EXPECT_TRUE(reply.body.isEmpty());
    }
  }
  // The version alone, as plain text; every request is logged.
  const Reply version = fetch(QStringLiteral("/quorel/bin/version.asp"));
  EXPECT_EQ(version.body, QUOREL_VERSION);
  EXPECT_TRUE(version.contentType.startsWith("text/plain"));
  ASSERT_EQ(logLines.size(), qsizetype(std::size(cases)) + 1);
  EXPECT_TRUE(logLines.back().contains(u"\"GET /quorel/bin/version.asp HTTP/1.1\" 200 6"))
      << logLines.back().toStdString();
}

TEST_F(VendorServerTest, RefusesMalformedRequestsAndKeepsServing) {
  vendor::ServerOptions options;
  options.maxHeadBytes = 4096;
  start(options);
  struct Case {
    QByteArray request;
    const char* statusLine;
  };
  const Case cases[] = {
      {"garbage\r\n\r\n", "HTTP/1.1 400 "},
      {QByteArray("\x00\x01\x02\xff\r\n\r\n", 8), "HTTP/1.1 400 "},
      {"GET\r\n\r\n", "HTTP/1.1 400 "},
      {"get / HTTP/1.1\r\n\r\n", "HTTP/1.1 400 "},
      {"GET relative HTTP/1.1\r\n\r\n", "HTTP/1.1 400 "},
      {"GET / HTTP/2.0\r\n\r\n", "HTTP/1.1 505 "},
      {"GET /" + QByteArray(5000, 'a') + " HTTP/1.1\r\n\r\n", "HTTP/1.1 414 "},
      {"GET / HTTP/1.1\r\nX: " + QByteArray(5000, 'b') + "\r\n\r\n", "HTTP/1.1 431 "},
      {"GET / HTTP/1.1\r\n" + QByteArray("X: y\r\n").repeated(1000) + "\r\n", "HTTP/1.1 431 "},
      {"GET http://127.0.0.1/quorel/bin/version.asp HTTP/1.1\n\n", "HTTP/1.1 200 "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.request.left(40).toStdString());
    EXPECT_TRUE(exchange(c.request).startsWith(c.statusLine));
  }
  EXPECT_EQ(fetch(QStringLiteral("/quorel/bin/version.asp")).status, 200);
  EXPECT_EQ(server->openConnections(), 0);
}

TEST_F(VendorServerTest, DropsIdleAndTricklingClients) {
  vendor::ServerOptions options;
  options.headTimeoutMs = 300;
  start(options);
  // Silent after connecting, and a request head that never ends.
  EXPECT_TRUE(exchange("").startsWith("HTTP/1.1 408 "));
  EXPECT_TRUE(exchange("GET / HTTP/1.1\r\nX-Slow: ").startsWith("HTTP/1.1 408 "));

  // One byte at a time: the deadline covers the whole head.
  QTcpSocket socket;
  socket.connectToHost(QHostAddress::LocalHost, server->serverPort());
  ASSERT_TRUE(socket.waitForConnected(kPatienceMs));
  QByteArray received;
  for (int i = 0; i < 200 && socket.state() == QAbstractSocket::ConnectedState; ++i) {
    socket.write("X");
    socket.flush();
    QTest::qWait(20);
    received += socket.readAll();
  }
  EXPECT_TRUE(received.startsWith("HTTP/1.1 408 ")) << received.left(40).toStdString();
  EXPECT_EQ(fetch(QStringLiteral("/quorel/bin/version.asp")).status, 200);
}

TEST_F(VendorServerTest, OneClientHoldingSocketsLocksNobodyElseOut) {
  vendor::ServerOptions options;
  options.maxPerClient = 16;
  start(options);
  std::vector<std::unique_ptr<QTcpSocket>> held;
  for (int i = 0; i < 300; ++i) {
    held.push_back(std::make_unique<QTcpSocket>());
    held.back()->connectToHost(QHostAddress::LocalHost, server->serverPort());
    ASSERT_TRUE(held.back()->waitForConnected(kPatienceMs)) << i;
  }
  const auto stillOpen = [&] {
    return std::count_if(held.begin(), held.end(), [](const auto& socket) {
      return socket->state() == QAbstractSocket::ConnectedState;
    });
  };
  EXPECT_TRUE(QTest::qWaitFor([&] { return stillOpen() == 16; }, kPatienceMs)) << stillOpen();
  EXPECT_EQ(server->openConnections(), 16);

  // Another client (another loopback address) is answered meanwhile; the first one is not.
  EXPECT_TRUE(exchange("GET /quorel/bin/version.asp HTTP/1.1\r\n\r\n", QHostAddress("127.0.0.2"))
                  .startsWith("HTTP/1.1 200 "));
  EXPECT_TRUE(exchange("GET /quorel/bin/version.asp HTTP/1.1\r\n\r\n").isEmpty());

  // All clients together are capped too.
  for (auto& socket : held) socket->abort();
  EXPECT_TRUE(QTest::qWaitFor([&] { return server->openConnections() == 0; }, kPatienceMs));
  held.clear();
  server.reset();
  options.maxConnections = 2;
  start(options);
  QTcpSocket two[2];
  for (QTcpSocket& socket : two) {
    socket.bind(QHostAddress("127.0.0.3"));
    socket.connectToHost(QHostAddress::LocalHost, server->serverPort());
    ASSERT_TRUE(socket.waitForConnected(kPatienceMs));
  }
  EXPECT_TRUE(QTest::qWaitFor([&] { return server->openConnections() == 2; }, kPatienceMs));
  EXPECT_TRUE(exchange("GET /quorel/bin/version.asp HTTP/1.1\r\n\r\n").isEmpty());
  for (QTcpSocket& socket : two) socket.abort();
  EXPECT_TRUE(QTest::qWaitFor([&] { return server->openConnections() == 0; }, kPatienceMs));
  EXPECT_EQ(fetch(QStringLiteral("/quorel/bin/version.asp")).status, 200);
}

}  // namespace
