// The small translations of the desktop layer: menu positions, the screen saver's window,
// shell targets, clock conversion, random draws, program folders, the link server watch.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QMenu>
#include <QTemporaryDir>
#include <ctime>
#include <vector>

#include "desktop/fullscreen_monitors.h"
#include "desktop/link_server_watch.h"
#include "desktop/program_folders.h"
#include "desktop/qt_clock.h"
#include "desktop/qt_shell.h"
#include "desktop/qt_user_dialogs.h"
#include "desktop/screen_saver_host.h"
#include "desktop/stall_meter.h"
#include "desktop/std_random_source.h"
#include "web/engine.h"
#include "web/web_browser.h"

namespace {

TEST(SmallServices, MenuEntriesKeepTheirPositionsAcrossSeparators) {
  using Kind = platform::MenuEntry::Kind;
  QMenu menu;
  desktop::QtUserDialogs::fillMenu(menu, {{Kind::Plain, "Browse Pic"},
                                          {Kind::Separator, "-"},
                                          {Kind::Disabled, "Saved"},
                                          {Kind::Plain, "Hide"}});
  QStringList read;  // text, separator, enabled, position
  for (const QAction* a : menu.actions())
    read << QString("%1 %2%3 %4")
                .arg(a->text())
                .arg(a->isSeparator())
                .arg(a->isEnabled())
                .arg(a->data().toInt());
  EXPECT_EQ(read, (QStringList{"Browse Pic 01 1", " 11 2", "Saved 00 3", "Hide 01 4"}));
}

// A screen saver says so by an option or its window in the environment.
TEST(SmallServices, ScreenSaverStartAndWindowFromOptionOrEnvironment) {
  const struct {
    QStringList arguments;
    QString environment;
    bool started;
    std::optional<WId> window;
  } cases[] = {
      {{"quorel"}, "", false, std::nullopt},
      {{"quorel", "x/s"}, "", false, std::nullopt},
      {{"quorel", "/S"}, "", true, std::nullopt},
      {{"quorel", "/s:1"}, "", true, std::nullopt},
      {{"quorel"}, "0x1a00005", true, WId(0x1a00005)},
      {{"quorel"}, "12345", true, WId(12345)},
      {{"quorel"}, "junk", true, std::nullopt},
      {{"quorel", "-window-id", "0x20"}, "0x10", true, WId(0x20)},
      {{"quorel", "-window-id"}, "0x10", true, WId(0x10)},
      {{"quorel", "-root"}, "", true, std::nullopt},  // the root window: offscreen has no X server
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.join(' ').toStdString() + " " + c.environment.toStdString());
    EXPECT_EQ(desktop::startedByScreenSaver(c.arguments, c.environment), c.started);
    EXPECT_EQ(desktop::screenSaverWindow(c.arguments, c.environment), c.window);
  }
}

TEST(SmallServices, ShellTargets) {
  EXPECT_EQ(desktop::QtShell::target("http://127.0.0.1:8480/click.asp?url=x", ""),
            QUrl("http://127.0.0.1:8480/click.asp?url=x"));
  EXPECT_EQ(desktop::QtShell::target("/home/u/a b.jpg", ""),
            QUrl::fromLocalFile("/home/u/a b.jpg"));
  EXPECT_EQ(desktop::QtShell::target("a.jpg", "/tmp"), QUrl::fromLocalFile("/tmp/a.jpg"));
  EXPECT_TRUE(desktop::QtShell::target("", "/tmp").isEmpty());
  EXPECT_TRUE(desktop::QtShell::target("a.jpg", "").isEmpty());
}

// Sets TZ for its lifetime, as the C library reads it.
class TimeZone {
 public:
  explicit TimeZone(const char* zone) : saved_(qgetenv("TZ")) {
    qputenv("TZ", zone);
    tzset();
  }
  ~TimeZone() {
    saved_.isNull() ? qunsetenv("TZ") : qputenv("TZ", saved_);
    tzset();
  }

 private:
  QByteArray saved_;
};

// Qt's local time of a moment, in the clock's terms: what the clock's reading is held to.
platform::LocalTime QtLocalTime(qint64 msSinceEpoch) {
  using namespace std::chrono;
  const QDateTime local = QDateTime::fromMSecsSinceEpoch(msSinceEpoch);
  const QDate date = local.date();
  const local_days day{year{date.year()} / month{static_cast<unsigned>(date.month())} /
                       std::chrono::day{static_cast<unsigned>(date.day())}};
  return platform::LocalTime{day} + milliseconds{local.time().msecsSinceStartOfDay()};
}

TEST(SmallServices, ClockConvertsLocalDateTimes) {
  using namespace std::chrono;
  const TimeZone utc("UTC0");
  const system_clock::time_point when{milliseconds{1078099198250}};  // 2004-02-29 23:59:58.250
  const auto expected = local_days{year{2004} / February / 29} + hours{23} + minutes{59} +
                        seconds{58} + milliseconds{250};
  EXPECT_EQ(desktop::QtClock::toLocalTime(when), expected);
}

// The clock's own reading agrees with Qt's local time, on both sides of a zone's change.
TEST(SmallServices, ClockReadsTheSameLocalTimeAsQt) {
  struct Row {
    const char* name;
    const char* zone;
    qint64 msSinceEpoch;
  } rows[] = {
      {.name = "UTC, a leap day", .zone = "UTC0", .msSinceEpoch = 1078099198250},
      {.name = "before a spring change",
       .zone = "CET-1CEST,M3.5.0,M10.5.0/3",
       .msSinceEpoch = 1711846799999},
      {.name = "after a spring change",
       .zone = "CET-1CEST,M3.5.0,M10.5.0/3",
       .msSinceEpoch = 1711846800000},
      {.name = "west of Greenwich, before the epoch", .zone = "EST5", .msSinceEpoch = -1500},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const TimeZone zone(r.zone);
    const auto moment =
        std::chrono::system_clock::time_point{std::chrono::milliseconds{r.msSinceEpoch}};
    EXPECT_EQ(desktop::QtClock::toLocalTime(moment), QtLocalTime(r.msSinceEpoch));
  }
}

TEST(SmallServices, RandomDrawsSpanTheUnitIntervalWithoutItsEnd) {
  desktop::StdRandomSource random;
  random.seedFromClock();
  float lowest = 1, highest = 0;
  for (int i = 0; i < 100000; ++i) {
    const float v = random.next();
    lowest = std::min(lowest, v);
    highest = std::max(highest, v);
  }
  EXPECT_GE(lowest, 0.0f);
  EXPECT_LT(lowest, 0.01f);
  EXPECT_GT(highest, 0.99f);
  EXPECT_LT(highest, 1.0f);
}

TEST(SmallServices, ProgramFolderFallsBackToTheStateFolder) {
  QTemporaryDir dir;
  const QByteArray saved = qgetenv("XDG_STATE_HOME");
  qputenv("XDG_STATE_HOME", dir.filePath("state").toUtf8());
  EXPECT_EQ(desktop::programFolderFor(dir.path() + "/"), dir.path());
  const QString fallback = desktop::programFolderFor(dir.filePath("no/such/folder"));
  EXPECT_EQ(fallback, dir.filePath("state/quorel"));
  EXPECT_TRUE(QDir(fallback).exists());
  saved.isNull() ? qunsetenv("XDG_STATE_HOME") : qputenv("XDG_STATE_HOME", saved);
}

// The monitors a full-screen window spans: top, bottom, left and right, as listed.
TEST(SmallServices, FullScreenSpansTheOutermostMonitors) {
  struct Row {
    const char* name;
    QList<QRect> monitors;
    std::array<int, 4> edges;
  };
  const Row rows[] = {
      {.name = "one monitor", .monitors = {{0, 0, 1920, 1080}}, .edges = {0, 0, 0, 0}},
      {.name = "a shorter one to the right",
       .monitors = {{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}},
       .edges = {0, 0, 0, 1}},
      {.name = "the second above and to the left",
       .monitors = {{1920, 1080, 1920, 1080}, {0, 0, 1920, 1080}},
       .edges = {1, 0, 1, 0}},
      {.name = "three in an L",
       .monitors = {{0, 0, 1000, 1000}, {1000, 0, 1000, 1000}, {0, 1000, 1000, 500}},
       .edges = {0, 2, 0, 1}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(desktop::fullScreenMonitorEdges(row.monitors), row.edges);
  }
}

// Once a second, the worst lateness of that second's ticks; a second without a tick has no line.
TEST(SmallServices, StallMeterWritesEachSecondsWorstLateness) {
  // Ticks on time, every 10 ms from `from` to `to`.
  const auto onTime = [](qint64 from, qint64 to) {
    std::vector<qint64> ticks;
    for (qint64 t = from; t <= to; t += desktop::kStallPeriodMs) ticks.push_back(t);
    return ticks;
  };
  const auto after = [](std::vector<qint64> first, const std::vector<qint64>& then) {
    first.insert(first.end(), then.begin(), then.end());
    return first;
  };
  struct Row {
    const char* name;
    std::vector<qint64> ticks;
    std::vector<QByteArray> lines;
  };
  const Row rows[] = {
      {.name = "no stall", .ticks = onTime(10, 1000), .lines = {"1 0\n"}},
      {.name = "a stall counts in its own second only",
       .ticks = after({700}, onTime(710, 2000)),
       .lines = {"1 690\n", "2 0\n"}},
      {.name = "a stall over two seconds",
       .ticks = after({10, 2500}, onTime(2510, 3000)),
       .lines = {"1 2480\n", "3 0\n"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    desktop::StallRecord record;
    std::vector<QByteArray> lines;
    for (const qint64 now : row.ticks) {
      if (QByteArray line = record.tick(now); !line.isEmpty()) lines.push_back(line);
    }
    EXPECT_EQ(lines, row.lines);
  }
}

// The one line about a link server that does not answer: only for the link server's address,
// only after a few failures in a row, and only once.
TEST(SmallServices, LinkServerWatchSaysOnceAfterAFewFailuresInARow) {
  const QString vendor = QStringLiteral("http://127.0.0.1:8480/quorel/bin/getlinks.asp");
  const QString other = QStringLiteral("http://127.0.0.1:8481/page.html");
  enum class Event { LinkServerFails, AnotherSiteFails, LinkServerAnswers };
  constexpr Event kFails = Event::LinkServerFails, kOther = Event::AnotherSiteFails,
                  kAnswers = Event::LinkServerAnswers;
  struct Row {
    const char* name;
    std::vector<Event> events;
    int lines;
  };
  const Row rows[] = {
      {.name = "two failures", .events = {kFails, kFails}, .lines = 0},
      {.name = "three failures", .events = {kFails, kFails, kFails}, .lines = 1},
      {.name = "six failures: still one line",
       .events = {kFails, kFails, kFails, kFails, kFails, kFails},
       .lines = 1},
      {.name = "an answer between",
       .events = {kFails, kFails, kAnswers, kFails, kFails},
       .lines = 0},
      {.name = "other sites' failures between",
       .events = {kFails, kOther, kFails, kFails, kOther},
       .lines = 1},
      {.name = "other sites only", .events = {kOther, kOther, kOther, kOther, kOther}, .lines = 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    web::Engine engine;
    web::WebBrowser browser(engine);
    int lines = 0;
    new desktop::LinkServerWatch(browser, QStringLiteral("127.0.0.1:8480"),
                                 [&](const QString& line) {
                                   EXPECT_TRUE(line.contains(QStringLiteral("quorel-vendor(1)")));
                                   ++lines;
                                 });
    for (const Event event : r.events) {
      bool cancel = false;
      if (event == kAnswers)
        emit browser.documentComplete(vendor);
      else
        emit browser.navigateError(event == kFails ? vendor : other, {}, 404, &cancel);
    }
    EXPECT_EQ(lines, r.lines);
  }
}

}  // namespace
