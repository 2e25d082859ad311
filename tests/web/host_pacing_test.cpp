// Manners per host: probe turns, and reading Retry-After (its pause over HTTP: navigation_test).
#include "web/host_pacing.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QLocale>

#include "http_fixture.h"

namespace {

TEST(HostPacing, ReadsRetryAfterAsSecondsOrDateCappedAtTenMinutes) {
  const qint64 now = QDateTime::currentMSecsSinceEpoch();
  const auto date = [&](int seconds) {
    return QLocale::c()
        .toString(QDateTime::fromMSecsSinceEpoch(now + seconds * 1000LL).toUTC(),
                  QStringLiteral("ddd, dd MMM yyyy hh:mm:ss 'GMT'"))
        .toLatin1();
  };
  const struct {
    QByteArray value;
    qint64 lowMs, highMs;  // -1, -1: no pause
  } cases[] = {
      {"120", 120'000, 120'000},
      {" 5 ", 5'000, 5'000},
      {"0", -1, -1},
      {"9999999999999999", 600'000, 600'000},  // seconds * 1000 would overflow
      {"soon", -1, -1},
      {date(30), 28'000, 31'000},
      {date(-30), -1, -1},
      {date(7200), 600'000, 600'000},
  };
  for (const auto& c : cases) {
    const qint64 ms = web::HostPacing::retryAfterMs(c.value, now);
    SCOPED_TRACE(c.value.constData());
    EXPECT_GE(ms, c.lowMs);
    EXPECT_LE(ms, c.highMs);
  }
}

TEST(HostPacing, GivesEachHostSixProbeTurnsInOrder) {
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

}  // namespace
