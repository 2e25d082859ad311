// The search gateway over real HTTP: the program's three search addresses in, results pages out,
// with a picture API of our own on loopback behind it.
#include "link_server/search_gateway.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include "link_server/vendor_server.h"
#include "quorel_version.h"
#include "vendor_test_support.h"

namespace {

// The API's pictures, listed from the last rank to the first (the gateway orders by "index"),
// with whether the gateway keeps each: only JPEG, PNG and GIF, at most 1024 wide, and an
// address that survives the program's result-link parsing.
struct Row {
  const char *mime, *thumb;
  int width;
  bool kept;
};
const Row kRows[] = {
    {"image/jpeg", "https://up.test/g/New.webp", 500, false},
    {"image/jpeg", "https://up.test/g%2Fh/Enc.jpg", 500, false},
    {"image/jpeg", "https://up.test/g/Tom_&_Jerry.jpg", 500, false},
    {"image/jpeg", "https://up.test/f/2000px-Wide.jpg", 2000, false},
    {"image/tiff", "https://up.test/e/Scan.tif.jpg", 1024, false},
    {"image/gif", "http://up.test/b/Wave.GIF", 300, true},
    {"image/png", "https://up.test/b/Dog%C3%A9.png/800px-Dog%C3%A9.png", 800, true},
    {"image/jpeg", "https://up.test/a/Cat.jpg/1024px-Cat.jpg", 1024, true},
};

QByteArray pictureJson() {
  QByteArrayList pages;
  for (int rank = std::size(kRows); const Row& row : kRows) {
    pages += QString(R"("%1":{"title":"File:P%1","index":%1,"imageinfo":[{"thumburl":"%2",)"
                     R"("thumbwidth":%3,"descriptionurl":"https://pages.test/P%1","mime":"%4"}]})")
                 .arg(QString::number(rank--), QLatin1String(row.thumb), QString::number(row.width),
                      QLatin1String(row.mime))
                 .toUtf8();
  }
  return R"({"query":{"pages":{)" + pages.join(',') + "}}}";
}

// A picture API on loopback: answers every request after a short pause with the set reply,
// recording what it was asked and how many requests it had open at once.
class FakeApi : public QObject {
 public:
  FakeApi() {
    server.listen(QHostAddress::LocalHost, 0);
    connect(&server, &QTcpServer::newConnection, this, [this] {
      while (QTcpSocket* socket = server.nextPendingConnection()) {
        auto head = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket, head] {
          *head += socket->readAll();
          if (!head->contains("\r\n\r\n")) return;
          requests.append(*head);
          mostOpen = std::max(mostOpen, ++open);
          QTimer::singleShot(100, socket, [this, socket] {
            --open;
            socket->write("HTTP/1.1 " + QByteArray::number(status) +
                          " X\r\nContent-Type: application/json\r\nContent-Length: " +
                          QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
            socket->disconnectFromHost();
          });
        });
      }
    });
  }
  QString url() const { return QString("http://127.0.0.1:%1/w/api.php").arg(server.serverPort()); }

  int status = 200;
  QByteArray body = pictureJson();
  QList<QByteArray> requests;  // request heads
  int open = 0, mostOpen = 0;
  QTcpServer server;
};

class SearchGatewayTest : public testing::Test {
 protected:
  void SetUp() override {
    qunsetenv("http_proxy");
    server.setSearchGateway(&gateway);
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
  }
  std::unique_ptr<QTcpSocket> get(const QByteArray& pathAndQuery) {
    return vendortest::send(server.serverPort(), "GET " + pathAndQuery + " HTTP/1.1\r\n\r\n");
  }
  // The body of a finished reply (status 200 expected).
  static QByteArray body(const std::unique_ptr<QTcpSocket>& socket) {
    const vendortest::Reply finished = vendortest::reply(vendortest::received(*socket));
    EXPECT_EQ(finished.status, 200);
    return finished.body;
  }
  // The picture addresses of the page's result links, as the program takes them: up to the "&".
  static QStringList imgurls(const QByteArray& page) {
    static const QRegularExpression link(QStringLiteral("href=\"/imgres\\?imgurl=([^&\"]*)&"));
    QStringList found;
    for (const auto& match : link.globalMatch(QString::fromUtf8(page))) found += match.captured(1);
    return found;
  }

  FakeApi fake;
  vendor::PictureApi api{QUrl(fake.url())};
  vendor::SearchGateway gateway{api};
  vendor::VendorServer server{vendor::LinkList::parse("http://a.test/|1|http://a.test/\n"),
                              {.log = [](const QString&) {}}};
};

// The three search forms, asked at once: result links the program can use, one question to the
// API at a time and one per phrase however it is spaced or cased, the answer kept for later.
TEST_F(SearchGatewayTest, SearchFormsGiveResultLinksAskingOncePerPhrase) {
  QStringList expected;  // first rank first
  for (const Row& row : kRows)
    if (row.kept)
      expected.prepend(QString::fromLatin1(row.thumb).section(QStringLiteral("://"), 1));
  std::vector<std::unique_ptr<QTcpSocket>> replies;
  for (const char* form :
       {"/images?hl=en&lr=&ie=UTF-8&oe=UTF-8&q=red+old+cars&sa=N&tab=wi",
        "/search?avkw=fogg&cat=img&cs=utf-8&q=blue+sea",
        "/search/images?p=+red++old+cars&ei=UTF-8&fr=fp-tab-img-t&cop=mss&tab=3"})
    replies.push_back(get(form));
  for (const auto& reply : replies) {
    const QByteArray page = body(reply);
    EXPECT_EQ(imgurls(page), expected);
    EXPECT_TRUE(page.contains("<a href=\"https://pages.test/P1\">"));
  }
  EXPECT_EQ(fake.requests.size(), 2);
  EXPECT_EQ(fake.mostOpen, 1);
  const QByteArray heads = fake.requests.join();
  EXPECT_TRUE(heads.contains("gsrsearch=red%20old%20cars")) << heads.constData();
  EXPECT_TRUE(heads.contains("User-Agent: Quorel-vendor/" QUOREL_VERSION " (+http"));
  EXPECT_EQ(imgurls(body(get("/search/images?p=Blue+Sea"))), expected);
  EXPECT_EQ(fake.requests.size(), 2);
}

TEST_F(SearchGatewayTest, FailuresAndEmptyAnswersGivePagesWithoutPictures) {
  const struct {
    const char* name;
    int status;
    QByteArray body;
  } cases[] = {
      {"server error", 500, pictureJson()},
      {"not JSON", 200, "<html>maintenance</html>"},
      {"no results", 200, "{\"batchcomplete\":\"\"}"},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake.status = c.status;
    fake.body = c.body;
    const QByteArray page = body(get("/images?q=phrase+number+" + QByteArray::number(++n)));
    EXPECT_TRUE(imgurls(page).isEmpty());
    EXPECT_FALSE(page.contains("<a ")) << page.constData();
  }
  EXPECT_EQ(fake.requests.size(), n);
}

}  // namespace
