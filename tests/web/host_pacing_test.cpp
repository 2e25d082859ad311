// Manners per host: probe turns, and pauses asked for with Retry-After (over real HTTP).
#include "web/host_pacing.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QLocale>

#include "web/engine.h"
#include "web_test_support.h"

namespace {

using webtest::Recorder;

TEST(HostPacing, ReadsRetryAfterAsSecondsOrDateCappedAtTenMinutes) {
  const qint64 now = QDateTime::currentMSecsSinceEpoch();
  const auto date = [&](int seconds) {
    return QLocale::c()
        .toString(QDateTime::fromMSecsSinceEpoch(now + seconds * 1000LL).toUTC(),
                  QStringLiteral("ddd, dd MMM yyyy hh:mm:ss 'GMT'"))
        .toLatin1();
  };
  struct Case {
    QByteArray value;
    qint64 lowMs, highMs;  // -1, -1: no pause
  };
  const Case cases[] = {
      {"120", 120'000, 120'000},
      {" 5 ", 5'000, 5'000},
      {"0", -1, -1},
      {"-5", -1, -1},
      {"86400", 600'000, 600'000},
      {"soon", -1, -1},
      {"", -1, -1},
      {date(30), 28'000, 31'000},
      {date(-30), -1, -1},
      {date(7200), 600'000, 600'000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value.constData());
    const qint64 ms = web::HostPacing::retryAfterMs(c.value, now);
    EXPECT_GE(ms, c.lowMs);
    EXPECT_LE(ms, c.highMs);
  }
}

TEST(HostPacing, GivesEachHostSixProbeTurnsInOrder) {
  webtest::testApp();
  web::HostPacing pacing(6);
  std::vector<std::unique_ptr<QObject>> owners;
  std::vector<int> started;
  const auto ask = [&](const char* url) {
    owners.push_back(std::make_unique<QObject>());
    const int n = static_cast<int>(owners.size()) - 1;
    pacing.whenProbeSlotFree(QUrl(url), owners.back().get(),
                             [&started, n] { started.push_back(n); });
  };
  for (int i = 0; i < 9; ++i) ask("http://a.test/p.jpg");  // 0..8
  ask("http://b.test/p.jpg");                              // 9: another host, not held up
  QCoreApplication::processEvents();
  EXPECT_EQ(started, (std::vector<int>{0, 1, 2, 3, 4, 5, 9}));

  owners[6].reset();                // a waiting probe goes: it never runs, and holds no turn
  pacing.release(owners[0].get());  // a turn ends
  owners[1].reset();                // a running probe goes with its turn
  QCoreApplication::processEvents();
  EXPECT_EQ(started, (std::vector<int>{0, 1, 2, 3, 4, 5, 9, 7, 8}));
}

TEST(HostPacing, AHostThatAsksForAPauseIsNotAskedAgainMeanwhile) {
  webtest::AppGuard app;
  webtest::HttpFixture server;
  server.route("/busy", webtest::Reply{429, "text/html", "slow down", {{"Retry-After", "120"}}});
  server.route("/down", webtest::Reply{503, "text/html", "down", {}});
  server.route("/ok", webtest::Reply{200, "text/html", "<p>fine</p>", {}});
  web::Engine engine(webtest::optionsFor(server));
  const auto visit = [&](const char* path) {
    web::WebBrowser browser(engine);
    Recorder recorder(browser);
    browser.navigate(server.url(QString::fromLatin1(path)));
    EXPECT_TRUE(recorder.wait());
    return recorder.events.empty() ? 0 : recorder.events.front().status;
  };
  // A 503 without Retry-After pauses nothing.
  EXPECT_EQ(visit("/down"), 503);
  EXPECT_EQ(visit("/ok"), 0);
  EXPECT_EQ(server.hits("/ok"), 1);
  // A 429 with one: the host's addresses fail with 429 and are not asked for.
  EXPECT_EQ(visit("/busy"), 429);
  EXPECT_EQ(visit("/ok"), 429);
  EXPECT_EQ(server.hits("/ok"), 1);
  EXPECT_EQ(server.hits("/busy"), 1);
}

}  // namespace
