// The link server over real HTTP on a loopback port.
#include "link_server/link_server.h"

#include <gtest/gtest.h>

#include <QTcpSocket>
#include <algorithm>
#include <vector>

#include "quorel_version.h"
#include "server_test_support.h"

namespace {

const char kVersion[] = "/quorel/bin/version.asp";
const QByteArray kVersionRequest = "GET /quorel/bin/version.asp HTTP/1.1\r\n\r\n";

class LinkServerTest : public testing::Test {
 protected:
  void start(link_server::ServerOptions options = {}) {
    options.log = [this](const QString& line) { logLines.append(line); };
    // site2 is listed by its www. name, which names the same site.
    server = std::make_unique<link_server::LinkServer>(
        link_server::LinkList::parse("http://site1.test/index.html|2|http://site1.test/\n"
                                     "http://www.site2.test/a.jpg|0|http://www.site2.test/\n"
                                     "adult http://night.test/|3|http://night.test/\n"),
        options);
    ASSERT_TRUE(server->listen(QHostAddress::LocalHost, 0)) << server->errorString().toStdString();
  }
  servertest::Reply fetch(const QByteArray& path, const QByteArray& verb = "GET") {
    return servertest::fetch(server->serverPort(), path, verb);
  }
  // Sends raw bytes and returns whatever comes back before the server closes the connection.
  QByteArray exchange(const QByteArray& bytes, const QHostAddress& from = {}) {
    return servertest::received(*servertest::send(server->serverPort(), bytes, from));
  }

  std::unique_ptr<link_server::LinkServer> server;
  QStringList logLines;
};

// (That every line handed out is listed, of the mode's side: tests/e2e/servers.sh.)
TEST_F(LinkServerTest, ServesItsPagesAndRefusesTheRest) {
  start();
  const struct {
    const char* path;
    const char* verb;
    int status;
    const char* text;  // in the body
  } cases[] = {
      {
          .path = "/quorel/",
          .verb = "GET",
          .status = 200,
          .text = "<title>Quorel</title>",
      },
      {
          .path = "/quorel/index.html",
          .verb = "GET",
          .status = 200,
          .text = "<title>Quorel</title>",
      },
      {
          .path = "/quorel/download/",
          .verb = "GET",
          .status = 200,
          .text = QUOREL_VERSION,
      },
      {
          .path = "/forums",
          .verb = "GET",
          .status = 200,
          .text = "<title>Quorel Forums</title>",
      },
      {
          .path = "/Quorel/Bin/Version.asp",
          .verb = "GET",
          .status = 200,
          .text = QUOREL_VERSION,
      },
      {.path = "/quorel/bin/getlinks.asp?x=1&mode=ADULT",
       .verb = "GET",
       .status = 200,
       .text = "night.test/|3|http://night"},
      {
          .path = "/quorel/bin/nothing.asp",
          .verb = "GET",
          .status = 404,
          .text = "Not Found",
      },
      {
          .path = kVersion,
          .verb = "POST",
          .status = 405,
          .text = "Method Not Allowed",
      },
      {
          .path = kVersion,
          .verb = "HEAD",
          .status = 200,
          .text = "",
      },
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.verb) + " " + c.path);
    const servertest::Reply reply = fetch(c.path, c.verb);
    EXPECT_EQ(reply.status, c.status);
    EXPECT_TRUE(reply.body.contains(c.text)) << reply.body.toStdString();
    if (QByteArray(c.verb) == "HEAD") {
      EXPECT_TRUE(reply.body.isEmpty());
    }
  }
  const servertest::Reply version = fetch(kVersion);
  EXPECT_EQ(version.body, QUOREL_VERSION);
  EXPECT_TRUE(version.header("Content-Type").startsWith("text/plain"));
  ASSERT_EQ(logLines.size(), qsizetype(std::size(cases)) + 1);  // every request, one line
  EXPECT_TRUE(logLines.back().contains(u"\"GET /quorel/bin/version.asp HTTP/1.1\" 200 6"))
      << logLines.back().toStdString();
  EXPECT_EQ(fetch(kVersion, "POST").header("Allow"), "GET, HEAD");
}

TEST_F(LinkServerTest, ClickThroughRedirectsToTheListedSitesOnly) {
  start();
  const struct {
    const char* url;  // as the program encodes: every byte but letters and digits, spaces '+'
    int status;
    const char* location;
  } cases[] = {
      {"http%3A%2F%2Fsite1%2Etest%2Fimages%2Fa%2Ejpg", 302, "http://site1.test/images/a.jpg"},
      {"https%3A%2F%2Fsite1%2Etest%2Fa+b%2Ejpg%3Fx%3D1%26y%3D2", 302,
       "https://site1.test/a%20b.jpg?x=1&y=2"},
      {"HTTP%3A%2F%2FSite1%2Etest%2F", 302, "http://site1.test/"},
      {"http%3A%2F%2Fimg%2Ecdn%2Esite2%2Etest%2Fb%2Ejpg", 302, "http://img.cdn.site2.test/b.jpg"},
      // Anywhere else the server does not send a browser on its own.
      {"http%3A%2F%2Fevilsite1%2Etest%2F", 404, ""},
      {"http%3A%2F%2Fsite1%2Etest%2Eevil%2Etest%2F", 404, ""},
      {"http%3A%2F%2Fsite1%2Etest%40evil%2Etest%2F", 404, ""},
      // Not web addresses at all.
      {"http%3A%2F%2Fsite1%2Etest%2F%0D%0ASet-Cookie%3A+x%3D1", 400, ""},
      {"javascript%3Aalert%281%29", 400, ""},
      {"http%3A%2F%2F", 400, ""},
      {"", 400, ""},
  };
  for (const auto& c : cases) {
    const servertest::Reply reply = fetch(QByteArray("/quorel/bin/click.asp?url=") + c.url);
    EXPECT_EQ(reply.status, c.status) << c.url;
    EXPECT_EQ(reply.header("Location"), QByteArray(c.location)) << c.url;
  }
  // The refusal names the address for the user to follow, escaped.
  EXPECT_TRUE(fetch("/quorel/bin/click.asp?url=http%3A%2F%2Fevil%2Etest%2F%3Ca%3E")
                  .body.contains("http://evil.test/%3Ca%3E"));

  // A reloaded list: the sites of the one before stay for the pictures still shown.
  const char* const site1 = "/quorel/bin/click.asp?url=http%3A%2F%2Fsite1%2Etest%2F";
  server->setLinks(link_server::LinkList::parse("http://site3.test/|2|http://site3.test/"));
  EXPECT_EQ(fetch(site1).status, 302);
  server->setLinks(link_server::LinkList::parse("http://site4.test/|2|http://site4.test/"));
  EXPECT_EQ(fetch(site1).status, 404);
}

// Malformed, oversized, silent or trickling (one byte at a time: the deadline covers the whole
// head): each is answered and closed, and the server keeps serving.
TEST_F(LinkServerTest, RefusesBadRequestsAndKeepsServing) {
  link_server::ServerOptions options;
  options.maxHeadBytes = 4096;
  options.headTimeoutMs = 300;
  start(options);
  const std::pair<QByteArray, const char*> cases[] = {
      {"garbage\r\n\r\n", "400 Bad Request"},
      {"get / HTTP/1.1\r\n\r\n", "400 Bad Request"},
      {"GET relative HTTP/1.1\r\n\r\n", "400 Bad Request"},
      {"GET / HTTP/2.0\r\n\r\n", "505 HTTP Version Not Supported"},
      {"GET /" + QByteArray(5000, 'a') + " HTTP/1.1\r\n\r\n", "414 URI Too Long"},
      {"GET / HTTP/1.1\r\nX: " + QByteArray(5000, 'b') + "\r\n\r\n",
       "431 Request Header Fields Too Large"},
      {"", "408 Request Timeout"},
      {"GET http://127.0.0.1/quorel/bin/version.asp HTTP/1.1\n\n", "200 OK"},
  };
  for (const auto& [request, status] : cases)
    EXPECT_TRUE(exchange(request).startsWith(QByteArray("HTTP/1.1 ") + status + "\r\n"))
        << request.left(40).toStdString();
  auto socket = servertest::send(server->serverPort(), {});
  QByteArray received;
  for (int i = 0; i < 200 && socket->state() == QAbstractSocket::ConnectedState; ++i) {
    socket->write("X");
    socket->flush();
    QTest::qWait(20);
    received += socket->readAll();
  }
  EXPECT_TRUE(received.startsWith("HTTP/1.1 408 ")) << received.left(40).toStdString();
  EXPECT_EQ(fetch(kVersion).status, 200);
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return server->openConnections() == 0; }, servertest::kPatienceMs));
}

TEST_F(LinkServerTest, ConnectionsAreCappedPerClientAndInAll) {
  const auto hold = [&](int n, const char* from) {
    std::vector<std::unique_ptr<QTcpSocket>> held;
    for (int i = 0; i < n; ++i)
      held.push_back(servertest::send(server->serverPort(), {}, QHostAddress(from)));
    return held;
  };
  const auto open = [&](int n) {
    return QTest::qWaitFor([&] { return server->openConnections() == n; }, servertest::kPatienceMs);
  };
  link_server::ServerOptions options;
  options.maxPerClient = 16;
  start(options);
  // One client holding sockets: only its first sixteen stay; another client is answered.
  auto held = hold(100, "127.0.0.1");
  EXPECT_TRUE(open(16)) << server->openConnections();
  EXPECT_TRUE(exchange(kVersionRequest, QHostAddress("127.0.0.2")).startsWith("HTTP/1.1 200 "));
  EXPECT_TRUE(exchange(kVersionRequest).isEmpty());
  held.clear();
  // All clients together are capped too.
  options.maxConnections = 2;
  start(options);
  held = hold(2, "127.0.0.3");
  EXPECT_TRUE(open(2));
  EXPECT_TRUE(exchange(kVersionRequest).isEmpty());
  held.clear();
  EXPECT_TRUE(open(0));
  EXPECT_EQ(fetch(kVersion).status, 200);
}

// One network (an IPv4 /24) holding sockets from many addresses is bounded together; the
// refusals make one log line a second, counting those not logged.
TEST_F(LinkServerTest, ConnectionsAreCappedPerNetworkAndRefusalsLoggedSparingly) {
  link_server::ServerOptions options;
  options.maxPerClient = 4;
  options.maxPerNetwork = 6;
  start(options);
  std::vector<std::unique_ptr<QTcpSocket>> held;
  for (const char* from : {"127.0.0.1", "127.0.0.2", "127.0.0.3"})
    for (int i = 0; i < 4; ++i)
      held.push_back(servertest::send(server->serverPort(), {}, QHostAddress(from)));
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return server->openConnections() == 6; }, servertest::kPatienceMs));
  EXPECT_TRUE(exchange(kVersionRequest, QHostAddress("127.0.1.1")).startsWith("HTTP/1.1 200 "));
  const auto refusals = [&] {
    return std::count_if(logLines.begin(), logLines.end(),
                         [](const QString& line) { return line.contains(u"503 too many"); });
  };
  ASSERT_EQ(refusals(), 1);  // six refused within the second
  EXPECT_FALSE(logLines.filter(u"503 too many").front().contains(u"more refused"))
      << logLines.filter(u"503 too many").front().toStdString();  // none before it
  QTest::qWait(1100);
  EXPECT_TRUE(exchange(kVersionRequest, QHostAddress("127.0.0.4")).isEmpty());
  ASSERT_EQ(refusals(), 2);
  EXPECT_TRUE(logLines.filter(u"503 too many").back().contains(u"(and 5 more refused"))
      << logLines.filter(u"503 too many").back().toStdString();
}

}  // namespace
