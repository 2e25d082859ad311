#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

#include "http_fixture.h"
#include "platform/browser.h"
#include "quorel_version.h"
#include "web/address_policy.h"
#include "web/status_codes.h"
#include "web/web_browser.h"

namespace {

using webtest::Event;
using webtest::HttpFixture;
using webtest::Reply;

class Navigation : public ::testing::Test {
 protected:
  HttpFixture server;
  std::unique_ptr<web::Engine> engine_;
  web::Engine& makeEngine(web::EngineOptions options) {
    return *(engine_ = std::make_unique<web::Engine>(options));
  }
};

Reply html(const QByteArray& body, int status = 200,
           QList<QPair<QByteArray, QByteArray>> headers = {}) {
  return Reply{status, "text/html", body, std::move(headers)};
}
Reply redirect(const QByteArray& location, int status = 302) {
  return html({}, status, {{"Location", location}});
}

// What one navigation of a fresh browser ended in: status 0 for a completed document.
struct Outcome {
  qint32 status = -1;
  QString url;
  std::string documentUrl, text;
};

using Origin = web::WebBrowser::Origin;

Outcome load(web::Engine& engine, const QString& url, Origin origin = Origin::Page) {
  web::WebBrowser browser(engine);
  webtest::Recorder recorder(browser);
  browser.navigate(url, origin);
  EXPECT_TRUE(recorder.wait()) << url.toStdString();
  const std::vector<Event>& events = recorder.events;
  Outcome out;
  if (events.size() != 1) {
    ADD_FAILURE() << url.toStdString() << ": not exactly one event";
    return out;
  }
  out.status = events[0].type == "DocumentComplete" ? 0 : events[0].status;
  out.url = events[0].url;
  if (out.status == 0) {
    out.documentUrl = browser.document().url();
    out.text = browser.document().innerText();
  }
  return out;
}

// Redirects, HTTP and network failures, the deadline and the size caps, each on an engine of
// its own (repeated failures of one host are paced).
TEST_F(Navigation, EachOutcomeHasItsStatus) {
  for (int i = 1; i <= 11; ++i) {
    server.route("/hop" + QByteArray::number(i),
                 redirect("/hop" + QByteArray::number(i + 1), i % 2 ? 302 : 301));
  }
  server.route("/hop12", html("<p>arrived</p>"));
  server.route("/to-file", redirect("file:///etc/passwd"));
  server.route("/relative", redirect("hop12"));
  server.route("/broken", html("<p>oops</p>", 500));
  server.route("/feed", Reply{200, "application/rss+xml", "<rss>news</rss>"});
  server.route("/pdf", Reply{200, "application/pdf", "%PDF-1.4"});
  const QByteArray page = "<p>" + QByteArray(5000, 'z') + "</p>", big(1536 * 1024, 'a');
  server.route("/gzip", html(webtest::gzip(page), 200, {{"Content-Encoding", "gzip"}}));
  server.route("/deflate", html(webtest::deflate(page), 200, {{"Content-Encoding", "deflate"}}));
  server.route("/bad-gzip", html(QByteArray(5000, '\x9c'), 200, {{"Content-Encoding", "gzip"}}));
  Reply cutShort = html(QByteArray(34, 'x'), 200, {{"Content-Length", "100000"}}),
        dribble = html(QByteArray(400, 'x')), unannounced = html(big),
        bigImage{200, "image/bmp", webtest::imageBytes("bmp", 300, 300)};  // about 360 KB
  cutShort.sendLength = unannounced.sendLength = false;
  dribble.dribbleMs = 20;  // never idle long, but far slower than the deadline
  server.route("/cut-short", cutShort);
  server.route("/hang", Reply{.hang = true});
  server.route("/dribble", dribble);
  server.route("/big", html(big));
  server.route("/big-unannounced", unannounced);
  server.route("/big-image", bigImage);
  server.route("/tangled", html(QByteArray("<b>x<div>y</b>z").repeated(30000)));  // quadratic
  // Only the rows about a deadline have a short one, and their work never ends within it:
  // everything else gets far more time than a loaded machine needs.
  constexpr int kAmpleMs = 10'000;
  struct Row {
    const char* name;
    QString path;
    qint32 status = 0;  // 0: completes
    const char* finalPath = nullptr;
    std::string text = {};
    int requestTimeoutMs = kAmpleMs;
    int parseBudgetMs = kAmpleMs;
  } rows[] = {
      {.name = "ten redirects", .path = "/hop2", .finalPath = "/hop12", .text = "arrived"},
      {.name = "a relative redirect",
       .path = "/relative",
       .finalPath = "/hop12",
       .text = "arrived"},
      {.name = "gzip", .path = "/gzip", .finalPath = "/gzip", .text = std::string(5000, 'z')},
      {.name = "deflate",
       .path = "/deflate",
       .finalPath = "/deflate",
       .text = std::string(5000, 'z')},
      {.name = "an XML type, shown as text",
       .path = "/feed",
       .finalPath = "/feed",
       .text = "<rss>news</rss>"},
      {.name = "a type not shown", .path = "/pdf", .status = web::status::kUnsupportedType},
      {.name = "eleven redirects", .path = "/hop1", .status = web::status::kRedirectFailed},
      {.name = "a redirect to a file", .path = "/to-file", .status = web::status::kRedirectFailed},
      // (404 and a closed port: browser_contract_test.cpp)
      {.name = "a server error", .path = "/broken", .status = 500},
      {.name = "a body cut short", .path = "/cut-short", .status = web::status::kDownloadFailed},
      {.name = "broken gzip", .path = "/bad-gzip", .status = web::status::kDownloadFailed},
      {.name = "no answer",
       .path = "/hang",
       .status = web::status::kTimedOut,
       .requestTimeoutMs = 1000},
      {.name = "a body slower than the deadline",
       .path = "/dribble",
       .status = web::status::kTimedOut,
       .requestTimeoutMs = 1000},
      {.name = "a page announced too large", .path = "/big", .status = web::status::kTooLarge},
      {.name = "a page found too large",
       .path = "/big-unannounced",
       .status = web::status::kTooLarge},
      {.name = "a picture too large", .path = "/big-image", .status = web::status::kTooLarge},
      {.name = "a parse over its budget",
       .path = "/tangled",
       .status = web::status::kParseFailed,
       .parseBudgetMs = 300},
      {.name = "an address too long",
       .path = "/hop12?" + QString(web::kMaxAddressLength, 'q'),
       .status = web::status::kInvalidAddress},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    web::EngineOptions options = webtest::optionsFor(server);
    options.requestTimeoutMs = row.requestTimeoutMs;
    options.parseBudgetMs = row.parseBudgetMs;
    options.pageLimitBytes = 1024 * 1024;
    options.imageLimitBytes = 128 * 1024;
    const Outcome out = load(makeEngine(options), server.url(row.path));
    EXPECT_EQ(out.status, row.status);
    if (row.status != 0) continue;
    EXPECT_EQ(out.url, server.url(row.finalPath));
    EXPECT_EQ(out.documentUrl, server.url(row.finalPath).toStdString());
    EXPECT_EQ(out.text, row.text);
  }
}

// An error the program leaves uncancelled shows a page: the server's own for an HTTP error,
// else one of the engine's.
TEST_F(Navigation, AnUncancelledErrorShowsAPage) {
  server.route("/broken", html("<p>oops</p>", 500));
  const struct Row {
    const char* name;
    QString url;
    std::string text;
  } rows[] = {
      {.name = "an HTTP error with a page", .url = server.url("/broken"), .text = "oops"},
      {.name = "no server", .url = "http://127.0.0.1:1/", .text = "This page could not be opened."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    web::WebBrowser browser(makeEngine(webtest::optionsFor(server)));
    bool finished = false;
    QObject::connect(&browser, &web::WebBrowser::loadFinished, [&] { finished = true; });
    browser.navigate(row.url);
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished; }, 15000));
    EXPECT_EQ(browser.document().innerText(), row.text);
  }
}

// A 503 without Retry-After pauses nothing; a 429 with one: the host's addresses fail with 429
// and are not asked for.
TEST_F(Navigation, AHostThatAsksForAPauseIsNotAskedAgainMeanwhile) {
  server.route("/busy", html({}, 429, {{"Retry-After", "120"}}));
  server.route("/down", html({}, 503));
  server.route("/ok", html({}));
  web::Engine& engine = makeEngine(webtest::optionsFor(server));
  for (const auto& [path, status] :
       {std::pair{"/down", 503}, {"/ok", 0}, {"/busy", 429}, {"/ok", 429}})
    EXPECT_EQ(load(engine, server.url(path)).status, status) << path;
  EXPECT_EQ(server.hits("/ok"), 1);
  EXPECT_EQ(server.hits("/busy"), 1);
}

// A frame that is itself a frameset brings its own frames, however its tags are written; a
// frameset two frames down is not followed.
TEST_F(Navigation, AFramesetInAFrameBringsItsFramesOneLevelDown) {
  server.route("/top", html("<frameset><frame src='/middle'></frameset>"));
  server.route("/middle", html("<FRAMESET><FRAME SRC='/inner'></FRAMESET>"));
  server.route("/inner", html("<frameset><frame src='/deepest'></frameset>"));
  server.route("/deepest", html("<p>too deep</p>"));
  web::WebBrowser browser(makeEngine(webtest::optionsFor(server)));
  webtest::visit(browser, server.url("/top"));
  const struct Row {
    const char* name;
    QByteArray path;
    int hits;
  } rows[] = {
      {.name = "the page's frame", .path = "/middle", .hits = 1},
      {.name = "its frame's frame", .path = "/inner", .hits = 1},
      {.name = "a frame three levels down", .path = "/deepest", .hits = 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(server.hits(row.path), row.hits);
  }
}

// Names answer through fake DNS: a private answer must be refused before anything connects.
const QHash<QString, QList<QHostAddress>> kPrivateNames = {
    {"loop.test", {QHostAddress("127.0.0.1")}},
    {"lan.test", {QHostAddress("192.168.1.20")}},
    {"mixed.test", {QHostAddress("93.184.216.34"), QHostAddress("10.0.0.1")}},
};

// Private addresses are refused before anything connects, however a name resolves. The
// allow-list (the link server) covers the program's own navigations only: a page's link to it,
// and what a page on it redirects to, frames or shows, is checked like anything else.
// (Schemes: address_policy_test.)
TEST_F(Navigation, RefusedAddressesAreNavigationErrorsAndNeverOpened) {
  web::EngineOptions options;
  options.allowedPrivateHosts = {QString("127.0.0.1:%1").arg(server.port())};
  options.resolver = [](const QString& host) { return kPrivateNames.value(host); };
  web::Engine& engine = makeEngine(options);
  const QByteArray port = QByteArray::number(server.port()), lan = "http://lan.test:" + port;
  server.route("/secret", html("<p>secret</p>"));
  server.route("/to-self", redirect(server.url("/secret").toLatin1()));
  server.route("/to-name", redirect("http://loop.test:" + port + "/secret"));
  server.route("/to-private", redirect("http://10.1.2.3/inside"));
  server.route("/pictures",
               html("<p>p</p><img src='" + lan + "/a.png'><img src='/b.png'><img src='c.png'>"));
  server.route("/frames",
               html("<frameset><frame src='/secret'><frame src='" + lan + "/secret'></frameset>"));
  const QString at = ":" + port + "/secret";
  const struct Row {
    const char* name;
    QString url;
    qint32 status;
    Origin origin = Origin::Program;
  } rows[] = {
      {"a name with a loopback answer", "http://loop.test" + at, web::status::kRefusedAddress},
      {"a name with a private answer", "http://lan.test/secret", web::status::kRefusedAddress},
      {"a name with one private answer", "http://mixed.test" + at, web::status::kRefusedAddress},
      {"a name without answers", "http://nowhere.test/", platform::kServerNotFound},
      {"a redirect to the allowed host", server.url("/to-self"), web::status::kRefusedAddress},
      {"a redirect to a loopback name", server.url("/to-name"), web::status::kRefusedAddress},
      {"a redirect to a private address", server.url("/to-private"), web::status::kRefusedAddress},
      {"the program's own request", server.url("/pictures"), 0},
      {"a page's link to the allowed host", server.url("/pictures"), web::status::kRefusedAddress,
       Origin::Page},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(load(engine, row.url, row.origin).status, row.status);
  }

  web::WebBrowser browser(engine);
  webtest::Recorder recorder(browser);
  browser.navigate(server.url("/frames"), Origin::Program);
  ASSERT_TRUE(recorder.wait());
  const auto& events = recorder.events;
  ASSERT_EQ(events.size(), 3u);  // the frames' two errors, then the page
  EXPECT_EQ(events[0].type + events[1].type + events[2].type,
            "NavigateErrorNavigateErrorDocumentComplete");
  for (const QByteArray path : {"/secret", "/a.png", "/b.png", "/c.png"})
    EXPECT_EQ(server.hits(path), 0) << path.constData();
  EXPECT_EQ(server.hits("/pictures"), 1);  // the program's own request only
}

// Behind an http proxy the proxy connects, by name; a name is still resolved here first and
// refused when an answer is private. A name only the proxy knows is left to it. (The fixture
// plays the proxy: its requests name whole addresses.)
TEST_F(Navigation, BehindAProxyNamesAreCheckedWhereTheyResolve) {
  web::EngineOptions options;
  options.resolver = [](const QString& host) {
    return host == "public.test" ? QList<QHostAddress>{QHostAddress("203.0.113.5")}
                                 : kPrivateNames.value(host);
  };
  const struct Row {
    const char* name;
    QString url;
    qint32 status;
  } rows[] = {
      {"a name with a public answer", "http://public.test/page", 0},
      {"a name only the proxy knows", "http://proxied.test/page", 0},
      {"a name with a loopback answer", "http://loop.test/page", web::status::kRefusedAddress},
      {"a name with one private answer", "http://mixed.test/page", web::status::kRefusedAddress},
      {"a private address", "http://10.1.2.3/page", web::status::kRefusedAddress},
  };
  for (const Row& row : rows) server.route(row.url.toLatin1(), html("<p>through</p>"));
  qputenv("http_proxy", server.url("/").toLatin1());
  web::Engine& engine = makeEngine(options);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(load(engine, row.url).status, row.status);
    EXPECT_EQ(server.hits(row.url.toLatin1()), row.status == 0 ? 1 : 0);
  }
  qunsetenv("http_proxy");
}

// Resident memory in MiB: "VmRSS" now, or "VmHWM", the peak since a reset (clear_refs).
qint64 memoryMiB(const QByteArray& field, bool reset = false) {
  QFile status("/proc/self/status"), clear("/proc/self/clear_refs");
  if (reset && clear.open(QIODevice::WriteOnly)) clear.write("5");
  clear.close();
  status.open(QIODevice::ReadOnly);
  const QByteArray all = status.readAll();
  const qsizetype at = all.indexOf(field + ":");
  return at < 0 ? 0
                : all.mid(at + field.size() + 1, 20).trimmed().split(' ')[0].toLongLong() / 1024;
}

// Answers every connection with a head and then up to 512 MiB, as fast as the reader takes it,
// from a process of its own: what it sends never counts in this one's memory.
class FloodServer {
 public:
  explicit FloodServer(const QByteArray& head) {
    flood_.start("python3", {"-c", R"(import socket, sys
server = socket.create_server(("127.0.0.1", 0))
print(server.getsockname()[1], flush=True)
while True:
    client, _ = server.accept()
    try:
        client.recv(4096)
        client.sendall(sys.argv[1].encode("latin-1"))
        for _ in range(8192):
            client.sendall(bytes(65536))
    except OSError:
        pass
    client.close())",
                             QString::fromLatin1(head)});
    EXPECT_TRUE(flood_.waitForReadyRead(10000));
    port_ = flood_.readLine().trimmed().toInt();
  }
  ~FloodServer() {
    flood_.kill();
    flood_.waitForFinished();
  }
  QString url() const { return QString("http://127.0.0.1:%1/flood").arg(port_); }

 private:
  QProcess flood_;
  int port_ = 0;
};

TEST_F(Navigation, HugeBodiesAreNeverHeldInMemory) {
  server.route("/small", html("<p>small</p>"));
  const struct {
    QByteArray head;
    qint32 status;
  } cases[] = {
      {"HTTP/1.1 302 Found\r\nLocation: " + server.url("/small").toLatin1() +
           "\r\nContent-Length: 536870912\r\n\r\n",
       0},
      {"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\n\r\n",
       web::status::kTooLarge},
  };
  web::Engine& engine = makeEngine(webtest::optionsFor(server));
  for (const auto& c : cases) {
    FloodServer flood(c.head);
    const qint64 before = memoryMiB("VmRSS", /*reset=*/true);
    EXPECT_EQ(load(engine, flood.url()).status, c.status) << c.head.constData();
    // The page cap (8 MiB) and the read buffer, with room for the allocator's slack.
    EXPECT_LT(memoryMiB("VmHWM") - before, 40) << c.head.constData();
  }
}

TEST_F(Navigation, CookiesAndUserAgent) {
  server.route("/set-cookie", html("", 200, {{"Set-Cookie", "session=abc123; Path=/"}}));
  // Sixty cookies of 4,000 bytes in one answer: the site keeps its newest fifty.
  QList<QPair<QByteArray, QByteArray>> many;
  for (int i = 0; i < 60; ++i)
    many.append({"Set-Cookie", "c" + QByteArray::number(i) + "=" + QByteArray(4000, 'v')});
  server.route("/set-many", html("", 200, many));
  server.route("/echo", [](const webtest::Request& request) {
    return html("<p>" + request.headers.value("cookie") + "</p>");
  });
  web::Engine& engine = makeEngine(webtest::optionsFor(server));
  EXPECT_EQ(load(engine, server.url("/set-cookie")).status, 0);  // an empty page, parsed too
  EXPECT_EQ(load(engine, server.url("/echo")).text, "session=abc123");
  const auto& headers = server.requests().constLast().headers;
  EXPECT_TRUE(headers.value("user-agent").contains("Quorel/" QUOREL_VERSION));
  EXPECT_TRUE(headers.value("accept-encoding").contains("gzip"));

  EXPECT_EQ(load(engine, server.url("/set-many")).status, 0);
  EXPECT_EQ(load(engine, server.url("/echo")).status, 0);
  const QByteArray sent = server.requests().constLast().headers.value("cookie");
  EXPECT_EQ(sent.count("=" + QByteArray(4000, 'v')), 50);
  EXPECT_FALSE(sent.contains("c9="));
  EXPECT_TRUE(sent.contains("c59="));
}

TEST_F(Navigation, CharsetsFromHeaderBomOrMeta) {
  const struct {
    QByteArray contentType, body;
    std::string text;
  } cases[] = {
      {"text/html; charset=windows-1252", "caf\xE9 \x80 5", "caf\xC3\xA9 \xE2\x82\xAC 5"},
      {"text/html",
       "<meta http-equiv='Content-Type' content='text/html; charset=ISO-8859-1'>na\xEFve \x93q\x94",
       "na\xC3\xAFve \xE2\x80\x9Cq\xE2\x80\x9D"},
      {"text/html", "<meta charset=\"Shift_JIS\"><p>\x93\xfa\x96\x7b</p>",
       "\xE6\x97\xA5\xE6\x9C\xAC"},
      {"text/html", "<p>caf\xC3\xA9</p>", "caf\xC3\xA9"},  // unlabelled UTF-8
      {"text/html", "<p>caf\xE9</p>", "caf\xC3\xA9"},      // unlabelled, not UTF-8
      {"text/html; charset=utf-8", "\xEF\xBB\xBF<p>bom</p>", "bom"},
      {"text/html", QByteArray("\xFF\xFE<\0p\0>\0\xE9\0", 10), "\xC3\xA9"},  // UTF-16LE by its BOM
      {"text/html", QByteArray("\xFE\xFF\0<\0p\0>\0\xE9", 10), "\xC3\xA9"},  // UTF-16BE by its BOM
      {"text/plain; charset=windows-1252", "line \xE9\nnext", "line \xC3\xA9\r\nnext"},
      // Labels that overrule bytes that would pass for UTF-8:
      {"text/html",
       "<meta http-equiv=Content-Type content='text/html; charset = windows-1252'>caf\xC3\xA9",
       "caf\xC3\x83\xC2\xA9"},
      {"text/html", "<meta charset=x-user-defined>caf\xC3\xA9", "caf\xC3\x83\xC2\xA9"},
  };
  web::Engine& engine = makeEngine(webtest::optionsFor(server));
  for (const auto& c : cases) {
    server.route("/page", Reply{200, c.contentType, c.body});
    EXPECT_EQ(load(engine, server.url("/page")).text, c.text) << c.body.toStdString();
  }
}

}  // namespace
