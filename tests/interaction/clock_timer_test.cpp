#include "interaction/clock_timer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "support/harness.h"

namespace {

using namespace std::chrono;
using Lines = std::vector<std::string>;

struct Clocked : fake::Harness {
  Clocked() {
    window().move(0, 0, 15360, 11520);
    program.workBrowserLeft = 15360 - 9000;
    program.workBrowserTop = 11520 + 600;
    work().move(program.workBrowserLeft, program.workBrowserTop, 9000, 1500);
    program.nextTimer().setInterval(5000);
  }
};

TEST(FormatInterval, WritesOnlyTheNonZeroParts) {
  const std::pair<std::int64_t, const char*> rows[] = {
      {3661, "1h 1m 1s"}, {3660, "1h 1m"},
      {60, "1m"},         {86400, "1d"},
      {86401, "1d 1s"},   {90061, "1d 1h 1m 1s"},
      {1, "1s"},          {0, ""},
      {-5, ""},           {(24 * 400 + 5) * 3600, "400d 5h"},
  };
  const platform::LocalTime start{};
  for (const auto& [interval, text] : rows)
    EXPECT_EQ(FormatInterval(start, start + seconds(interval)), text) << interval << " s";
  EXPECT_EQ(FormatInterval(start, start + milliseconds(999)), "");
}

TEST(TimeTimer, WritesTheClockAndLaysOutTheStrip) {
  struct Row {
    int hour, minute;
    milliseconds up;
    const char* second;  // the label's second line
    int windowWidth;     // a window narrower than the strip gives the box no width
  } rows[] = {
      {0, 30, seconds(1), "12:30 am up 1s", 15360},
      {12, 30, seconds(1), "12:30 pm up 1s", 15360},
      {11, 59, seconds(1), "11:59 am up 1s", 15360},
      {19, 5, seconds(93784), "7:05 pm up 1d 2h 3m 4s", 12000},
      {9, 0, milliseconds(400), "9:00 am up ", 1000},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.second);
    Clocked h;
    auto& form = h.window();
    form.setWidth(r.windowWidth);
    h.platform.clock_.set(2004, 1, 3, r.hour, r.minute, 0);  // a Saturday
    h.program.startTime = h.platform.clock_.now_ - r.up;
    timeTimer_Timer(h.program);
    auto& label = form.clockLabel;
    EXPECT_EQ(label.caption(), std::string("Saturday, Jan 3\r\n") + r.second + "\r\nV2.0.80");
    EXPECT_EQ(label.left(), form.logo.width() + 60);
    EXPECT_EQ(label.width(), 2000);
    EXPECT_FALSE(label.autoSize());
    // The auto-sized height of the three lines, before the width was fixed.
    EXPECT_EQ(label.top(), 11520 - 3 * 13 * 15 - 60);
    EXPECT_EQ(form.addressBox.left(), label.left() + 2000);
    EXPECT_EQ(form.addressBox.top(), 11520 - form.addressBox.height() - 30);
    EXPECT_EQ(form.addressBox.width(), std::max(0, r.windowWidth - form.addressBox.left()));
    // Behind everything: the logo backmost, then the address box, then the label.
    EXPECT_EQ(form.stacking.order[0], &form.logo);
    EXPECT_EQ(form.stacking.order[1], &form.addressBox);
    EXPECT_EQ(form.stacking.order[2], &label);
    EXPECT_EQ(h.trace().back(), "timeTimer OUT");
  }
}

TEST(TimeTimer, WatchdogPutsTheWorkBrowserBack) {
  struct Row {
    int left, top, width, height;
    const char* fields;  // the fields reset, in order
  } rows[] = {
      {6360, 12120, 9000, 1500, ""},
      {100, 12120, 9000, 1500, "Left"},
      {0, 0, 15360, 11520, "Left|Top|Width|Height"},
      {6360, 12120, 9000, 300, "Height"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.fields);
    Clocked h;
    h.work().move(r.left, r.top, r.width, r.height);
    timeTimer_Timer(h.program);
    Lines lines;
    for (const auto& field : fake::Split(r.fields))
      lines.push_back("[Timer] reset workBrowser." + field);
    EXPECT_EQ(h.status(), lines);
    EXPECT_EQ(fake::Box(h.work()), "6360,12120 9000x1500");
  }
}

TEST(TimeTimer, RestartsAStoppedSlideshowUnlessACrawlIsUnderWay) {
  for (const bool enabled : {false, true}) {
    for (const bool navPending : {false, true}) {
      Clocked h;
      auto& next = h.window().next;
      next.setEnabled(enabled);
      h.platform.advance(milliseconds(1000));  // part of an armed timer's count has run
      const auto deadline = next.deadline();
      h.program.navPending = navPending;
      timeTimer_Timer(h.program);
      EXPECT_EQ(next.enabled(), enabled || !navPending) << enabled << navPending;
      if (enabled) {
        EXPECT_EQ(next.deadline(), deadline) << "an armed timer keeps its count";
      }
    }
  }
}

}  // namespace
