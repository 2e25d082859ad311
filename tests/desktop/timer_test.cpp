// Timers on QTimer: which fires first shows whether arming and interval changes restart the
// count. Short real waits, and only the order of events is asserted.
#include <gtest/gtest.h>

#include <QTest>
#include <string>

#include "desktop/qt_timer.h"
#include "qt_test_app.h"

namespace {

struct TimerTest : ::testing::Test {
  static void SetUpTestSuite() { desktop_test::ensureApplication(); }
  std::string fired;
  void watch(desktop::QtTimer& timer, char name) {
    timer.setOnTimer([this, &timer, name] {
      fired += name;
      timer.setEnabled(false);  // one-shot use, as the logic does it
    });
  }
  void waitFor(std::size_t count) {
    EXPECT_TRUE(QTest::qWaitFor([&] { return fired.size() >= count; }, 2000));
  }
};

TEST_F(TimerTest, ArmingAnArmedTimerKeepsItsDeadline) {
  desktop::QtTimer a, b;
  watch(a, 'a');
  watch(b, 'b');
  a.setEnabled(false);
  a.setInterval(100);
  a.setEnabled(true);
  QTest::qWait(60);
  a.setEnabled(true);  // again: must not restart, or b would come first
  b.setEnabled(false);
  b.setInterval(80);
  b.setEnabled(true);
  waitFor(2);
  EXPECT_EQ(fired, "ab");
}

TEST_F(TimerTest, SettingTheIntervalRestartsAnEnabledTimer) {
  desktop::QtTimer a, b;
  watch(a, 'a');
  watch(b, 'b');
  a.setInterval(100);  // enabled as made: armed now
  QTest::qWait(60);
  a.setInterval(100);
  b.setInterval(80);
  waitFor(2);
  EXPECT_EQ(fired, "ba");
}

TEST_F(TimerTest, IntervalZeroOrDisabledNeverFires) {
  desktop::QtTimer zero, off, on;
  watch(zero, 'z');
  watch(off, 'o');
  watch(on, 'n');
  EXPECT_TRUE(zero.enabled());  // enabled as made, yet silent
  off.setEnabled(false);
  off.setInterval(10);
  zero.setInterval(0);
  on.setInterval(40);
  waitFor(1);
  QTest::qWait(30);
  EXPECT_EQ(fired, "n");
  EXPECT_FALSE(zero.armed());
  EXPECT_FALSE(off.armed());
}

TEST_F(TimerTest, KeepsFiringUntilDisabledAndIsNotReentered) {
  desktop::QtTimer timer;
  int ticks = 0, depth = 0, deepest = 0;
  timer.setOnTimer([&] {
    ++ticks;
    deepest = std::max(deepest, ++depth);
    if (ticks == 1) QTest::qWait(40);  // pumps events past the next tick
    if (ticks == 3) timer.setEnabled(false);
    --depth;
  });
  timer.setInterval(10);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !timer.enabled(); }, 2000));
  QTest::qWait(30);
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(deepest, 1);
}

}  // namespace
