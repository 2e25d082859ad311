// The search gateway over real HTTP: the program's three search addresses in, results pages out,
// with a picture API of our own on loopback behind it.
#include "link_server/search_gateway.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <algorithm>

#include "core/search_forms.h"
#include "link_server/family_filter.h"
#include "link_server/link_server.h"
#include "quorel_version.h"
#include "server_test_support.h"

namespace {

// The API's pictures, listed from the last rank to the first (the gateway orders by "index"),
// with whether the gateway keeps each: only JPEG, PNG and GIF, no wider than the 960 steps
// asked for (as reported and as the address names it), on a public host, with an address that
// survives the program's result-link parsing, and (filtered) of a family subject.
struct Row {
  const char *mime, *thumb;
  int width;
  bool kept;
  const char* categories = R"([{"ns":14,"title":"Category:Cats"}])";
  bool keptUnfiltered = kept;
};
const Row kRows[] = {
    {"image/jpeg", "https://up.test/g/New.webp", 500, false},
    {"image/jpeg", "https://up.test/g%2Fh/Enc.jpg", 500, false},
    {"image/jpeg", "https://up.test/g/Tom_&_Jerry.jpg", 500, false},
    {"image/jpeg", "https://up.test/f/2000px-Wide.jpg", 2000, false},
    {"image/tiff", "https://up.test/e/Scan.tif.jpg", 960, false},
    {"image/jpeg", "https://up.test/a/B.jpg/1280px-B.jpg", 960, false},  // a larger step
    {"image/jpeg", "https://up.test/a/C.jpg/800px-C.jpg", 800, false},   // not a step
    {"image/jpeg", "https://up.test/a/D.jpg/1234567px-D.jpg", 960, false},
    {"image/jpeg", "https://up.test/a/E.jpg/99999999999px-E.jpg", 960, false},
    {"image/jpeg", "http://127.0.0.1:8480/a/Local.jpg", 500, false},
    {"image/jpeg", "http://169.254.169.254/latest/meta.jpg", 500, false},
    {"image/jpeg", "http://[::1]/a/Six.jpg", 500, false},
    {"image/jpeg", "http://intranet/a/Single.jpg", 500, false},
    {"image/jpeg", "https://up.test/n/Nude.jpg", 500, false,
     R"([{"ns":14,"title":"Category:Nude women"}])", true},
    {"image/jpeg", "https://up.test/s/Op.jpg", 500, false,
     R"([{"ns":14,"title":"Category:Trees"},{"ns":14,"title":"Category:Surgery"}])", true},
    {"image/gif", "http://up.test/b/Wave.GIF", 300, true, R"([])"},
    {"image/png", "https://up.test/b/Dog%C3%A9.png/500px-Dog%C3%A9.png", 500, true},
    {"image/jpeg", "https://up.test/a/Cat.jpg/960px-Cat.jpg", 960, true},
};

QByteArray pictureJson() {
  QByteArrayList pages;
  for (int rank = std::size(kRows); const Row& row : kRows) {
    pages += QString(R"("%1":{"title":"File:P%1","index":%1,"imageinfo":[{"thumburl":"%2",)"
                     R"("thumbwidth":%3,"descriptionurl":"https://pages.test/P%1","mime":"%4"}],)"
                     R"("categories":%5})")
                 .arg(QString::number(rank--), QLatin1String(row.thumb), QString::number(row.width),
                      QLatin1String(row.mime), QLatin1String(row.categories))
                 .toUtf8();
  }
  return R"({"query":{"pages":{)" + pages.join(',') + "}}}";
}

// The kept rows' addresses as the results page gives them, first rank first.
QStringList expectedLinks(bool filtered) {
  QStringList expected;
  for (const Row& row : kRows)
    if (filtered ? row.kept : row.keptUnfiltered)
      expected.prepend(QString::fromLatin1(row.thumb).section(QStringLiteral("://"), 1));
  return expected;
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
          QTimer::singleShot(delayMs, socket, [this, socket] {
            --open;
            socket->write("HTTP/1.1 " + QByteArray::number(status) + " X\r\n" + headers +
                          "Content-Type: application/json\r\n" +
                          (announce ? "Content-Length: " + QByteArray::number(body.size()) + "\r\n"
                                    : QByteArray()) +
                          "Connection: close\r\n\r\n");
            socket->write(body);
            socket->disconnectFromHost();
          });
        });
      }
    });
  }
  QString url() const { return QString("http://127.0.0.1:%1/w/api.php").arg(server.serverPort()); }

  int status = 200;
  QByteArray headers;  // more header lines, each ending in CRLF
  QByteArray body = pictureJson();
  int delayMs = 100;
  bool announce = true;        // a Content-Length header
  QList<QByteArray> requests;  // request heads
  int open = 0, mostOpen = 0;
  QTcpServer server;
};

class SearchGatewayTest : public testing::Test {
 protected:
  void SetUp() override {
    qunsetenv("http_proxy");
    start();
  }
  // A new picture API client and gateway with these options, behind the same server.
  void start(link_server::PictureApi::Options options = {},
             link_server::SearchGateway::Options kept = {}, bool filtered = true) {
    options.filter = filtered ? &filter : nullptr;
    options.log = [this](const QString& line) { logLines.append(line); };
    gateway.reset();
    api = std::make_unique<link_server::PictureApi>(QUrl(fake.url()), options);
    gateway = std::make_unique<link_server::SearchGateway>(*api, kept);
    server.setSearchGateway(gateway.get());
    if (!server.serverPort()) {
      ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    }
  }
  std::unique_ptr<QTcpSocket> get(const QByteArray& pathAndQuery) {
    return servertest::send(server.serverPort(), "GET " + pathAndQuery + " HTTP/1.1\r\n\r\n");
  }
  // The body of a finished reply (status 200 expected).
  static QByteArray body(const std::unique_ptr<QTcpSocket>& socket) {
    const servertest::Reply finished = servertest::reply(servertest::received(*socket));
    EXPECT_EQ(finished.status, 200);
    return finished.body;
  }
  // Options of the picture API client with one change made.
  template <typename Member, typename Value>
  static link_server::PictureApi::Options with(Member member, Value value) {
    link_server::PictureApi::Options options;
    options.*member = value;
    return options;
  }
  // How many lines of the log hold the text.
  qsizetype logged(const char* text) const {
    return std::count_if(logLines.begin(), logLines.end(), [text](const QString& line) {
      return line.contains(QLatin1String(text));
    });
  }
  // The picture addresses of the page's result links, as the program takes them: up to the "&".
  static QStringList imgurls(const QByteArray& page) {
    static const QRegularExpression link(QStringLiteral("href=\"/imgres\\?imgurl=([^&\"]*)&"));
    QStringList found;
    for (const auto& match : link.globalMatch(QString::fromUtf8(page))) found += match.captured(1);
    return found;
  }

  FakeApi fake;
  const link_server::FamilyFilter filter = link_server::FamilyFilter::parse("nude*\nsurgery\n");
  QStringList logLines;
  std::unique_ptr<link_server::PictureApi> api;
  std::unique_ptr<link_server::SearchGateway> gateway;
  link_server::LinkServer server{link_server::LinkList::parse("http://a.test/|1|http://a.test/\n"),
                                 {.log = [](const QString&) {}}};
};

// The three search forms, asked at once: result links the program can use, one question to the
// API at a time and one per phrase however it is spaced or cased, the answer kept for later.
TEST_F(SearchGatewayTest, SearchFormsGiveResultLinksAskingOncePerPhrase) {
  const QStringList expected = expectedLinks(true);
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
  EXPECT_TRUE(heads.contains("&iiurlwidth=960&")) << heads.constData();
  EXPECT_TRUE(heads.contains("&gsrlimit=50&")) << heads.constData();
  EXPECT_TRUE(heads.contains("&prop=imageinfo%7Ccategories&")) << heads.constData();
  EXPECT_TRUE(heads.contains("&clshow=%21hidden&cllimit=max")) << heads.constData();
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
    EXPECT_TRUE(page.contains("<p>No pictures found.</p>")) << page.constData();
    EXPECT_TRUE(page.contains("<h1>Pictures of phrase number " + QByteArray::number(n) + "</h1>"))
        << page.constData();
  }
  EXPECT_EQ(fake.requests.size(), n);
}

TEST_F(SearchGatewayTest, FamilyFilterLeavesOutUnsafeSubjectsUnlessTurnedOff) {
  const QByteArray uncategorised =
      R"({"query":{"pages":[{"title":"File:Plain.jpg","index":1,"imageinfo":[{"thumburl":)"
      R"("https://up.test/p/Plain.jpg","thumbwidth":500,"mime":"image/jpeg"}]}]}})";
  const QByteArray categoriesCut = QByteArray(uncategorised)
                                       .insert(1, R"("continue":)"
                                                  R"({"clcontinue":"7|X"},)");
  const struct {
    const char* name;
    bool filtered;
    QByteArray answer;
    QStringList links;
    qsizetype droppedLines;
  } rows[] = {
      {"filtered", true, pictureJson(), expectedLinks(true), 1},
      {"unfiltered", false, pictureJson(), expectedLinks(false), 0},
      {"a file without categories is judged by its name",
       true,
       uncategorised,
       {"up.test/p/Plain.jpg"},
       0},
      // Its categories may be among those the API cut off for a continuation.
      {"a file whose categories were cut is left out", true, categoriesCut, {}, 1},
  };
  int n = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    start({}, {}, row.filtered);
    logLines.clear();
    fake.body = row.answer;
    EXPECT_EQ(imgurls(body(get("/images?q=phrase+" + QByteArray::number(++n)))), row.links);
    EXPECT_EQ(logged("left out by the family filter"), row.droppedLines);
  }
}

TEST_F(SearchGatewayTest, UserAgentNamesTheOperatorOrTheProject) {
  const struct {
    const char* name;
    QString contact;
    QByteArray agent;
  } rows[] = {
      {"an e-mail address", "ops@example.org",
       "User-Agent: Quorel-vendor/" QUOREL_VERSION " (ops@example.org) Qt/"},
      {"nothing: the project's page", "",
       "User-Agent: Quorel-vendor/" QUOREL_VERSION " (" QUOREL_CONTACT_PAGE ") Qt/"},
  };
  int n = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    start(with(&link_server::PictureApi::Options::contact, row.contact));
    body(get("/images?q=phrase+" + QByteArray::number(++n)));
    ASSERT_EQ(fake.requests.size(), n);
    EXPECT_TRUE(fake.requests.back().contains(row.agent)) << fake.requests.back().constData();
  }
  EXPECT_FALSE(QByteArray(QUOREL_CONTACT_PAGE).contains("127.0.0.1"));
}

// A 429 burst: one pause as long as Retry-After says, no request until it ends, phrases
// answered meanwhile from the cache (even past their time) or at once without pictures, the
// one queued behind the refused question included.
TEST_F(SearchGatewayTest, TooManyRequestsPausesTheApiButNotTheSearches) {
  start({}, {.keepMs = 0});
  const QStringList expected = expectedLinks(true);
  EXPECT_EQ(imgurls(body(get("/images?q=known+phrase"))), expected);
  fake.status = 429;
  fake.headers = "Retry-After: 1\r\n";
  const auto refused = get("/images?q=first+refused");
  const auto queued = get("/images?q=queued+behind+it");
  EXPECT_TRUE(imgurls(body(refused)).isEmpty());
  EXPECT_TRUE(imgurls(body(queued)).isEmpty());
  for (const char* during : {"/images?q=during+one", "/search?q=during+two"})
    EXPECT_TRUE(imgurls(body(get(during))).isEmpty());
  EXPECT_EQ(imgurls(body(get("/images?q=known+phrase"))), expected);
  EXPECT_EQ(fake.requests.size(), 2);
  EXPECT_EQ(logged("no requests for 1 s"), 1);
  EXPECT_EQ(logged("pause over"), 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return logged("pause over") == 1; }, servertest::kPatienceMs));
  fake.status = 200;
  fake.headers.clear();
  EXPECT_EQ(imgurls(body(get("/images?q=after+the+pause"))), expected);
  EXPECT_EQ(fake.requests.size(), 3);
  EXPECT_EQ(logged("no requests for"), 1);
}

// Answers the gateway stops reading: too big (announced or not), redirected away from the
// API's host, or not complete by the deadline.
TEST_F(SearchGatewayTest, AnswersAreCutShort) {
  const QByteArray huge = pictureJson() + QByteArray(5 * 1024 * 1024, ' ');
  const QByteArray elsewhere =
      "Location: http://127.0.0.1:" + QByteArray::number(fake.server.serverPort()) +
      "/w/api.php\r\n";
  const struct {
    const char* name;
    int status;
    QByteArray headers, body;
    bool announce = true;
    int deadlineMs = 20'000;
    const char* logLine;
  } rows[] = {
      {"announced as too big", 200, {}, huge, true, 20'000, "over the size limit"},
      {"too big as it arrives", 200, {}, huge, false, 20'000, "over the size limit"},
      {"redirected to loopback", 302, elsewhere, {}, true, 20'000, "a redirect elsewhere"},
      {"redirected to another host",
       301,
       "Location: https://other.test/w/api.php\r\n",
       {},
       true,
       20'000,
       "a redirect elsewhere"},
      {"past the deadline", 200, {}, pictureJson(), true, 50, "no complete answer in time"},
  };
  int n = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    start(with(&link_server::PictureApi::Options::deadlineMs, row.deadlineMs));
    logLines.clear();
    fake.status = row.status;
    fake.headers = row.headers;
    fake.body = row.body;
    fake.announce = row.announce;
    EXPECT_TRUE(imgurls(body(get("/images?q=phrase+" + QByteArray::number(++n)))).isEmpty());
    EXPECT_EQ(fake.requests.size(), n);  // nothing followed
    EXPECT_EQ(logged(row.logLine), 1);
  }
}

TEST_F(SearchGatewayTest, WaitersForOnePhraseAreBounded) {
  start({}, {.maxWaitersPerPhrase = 2});
  fake.delayMs = 1000;
  std::vector<std::unique_ptr<QTcpSocket>> sockets;
  for (int i = 0; i < 4; ++i) sockets.push_back(get("/images?q=popular+phrase"));
  int withPictures = 0;
  for (const auto& socket : sockets) withPictures += !imgurls(body(socket)).isEmpty();
  EXPECT_EQ(withPictures, 2);
  EXPECT_EQ(fake.requests.size(), 1);
}

// Every form the program asks, read back here: a form added on one side only fails.
TEST(SearchPhrase, ReadsThePhraseOfEveryFormTheProgramAsks) {
  for (const SearchForm& form : kSearchForms) {
    SCOPED_TRACE(std::string(form.path));
    const QUrl asked(QString::fromStdString(SearchAddress(form, "search.test", "red+old+cars")));
    EXPECT_EQ(link_server::SearchPhrase(asked.path(), asked.query(QUrl::FullyEncoded).toUtf8()),
              QStringLiteral("red old cars"));
  }
}

// Room for one answer of three pictures: a second pushes the first out, or both are let go
// once they have expired.
TEST_F(SearchGatewayTest, CacheIsBoundedInBytes) {
  const struct Keeping {
    const char* name;
    qint64 keepMs;
    qsizetype requests;
  } keepings[] = {
      {.name = "the first answer pushed out by the second", .keepMs = 3'600'000, .requests = 3},
      {.name = "answers expired at once", .keepMs = 0, .requests = 4},
  };
  for (const Keeping& row : keepings) {
    SCOPED_TRACE(row.name);
    fake.requests.clear();
    start({}, {.keepMs = row.keepMs, .maxCachedBytes = 1000});
    for (const char* phrase : {"/images?q=first+phrase", "/images?q=second+phrase",
                               "/images?q=second+phrase", "/images?q=first+phrase"})
      EXPECT_FALSE(imgurls(body(get(phrase))).isEmpty());
    EXPECT_EQ(fake.requests.size(), row.requests);
  }
}

}  // namespace
