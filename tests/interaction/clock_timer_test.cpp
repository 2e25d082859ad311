#include "interaction/clock_timer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "support/harness.h"

namespace {

using namespace std::chrono;
using Lines = std::vector<std::string>;

// Seconds only, all four parts and under a second: the clock label's rows below.
TEST(FormatInterval, WritesOnlyTheNonZeroParts) {
  const std::pair<std::int64_t, const char*> rows[] = {
      {3661, "1h 1m 1s"}, {3660, "1h 1m"}, {60, "1m"}, {86400, "1d"},
      {86401, "1d 1s"},   {0, ""},         {-5, ""},   {(24 * 400 + 5) * 3600, "400d 5h"},
  };
  const platform::LocalTime start{};
  for (const auto& [interval, text] : rows)
    EXPECT_EQ(FormatInterval(start, start + seconds(interval)), text) << interval << " s";
}

// Each tick writes the clock, lays out the strip, puts a moved work browser back (a line for
// each field it resets) and restarts a stopped slideshow unless a crawl is under way; an armed
// pacing timer keeps its count.
TEST(TimeTimer, WritesTheClockLaysOutTheStripAndWatchesTheShow) {
  struct Row {
    int hour, minute;
    milliseconds up;
    const char* second;  // the label's second line
    int windowWidth;     // a window narrower than the strip gives the box no width
    const char* work;    // where the work browser was moved to
    const char* resets;
    bool nextEnabled, navPending;
  } rows[] = {
      {0, 30, seconds(1), "12:30 am up 1s", 15360, "6360,12120 9000x1500", "", false, false},
      {12, 30, seconds(1), "12:30 pm up 1s", 15360, "100,12120 9000x1500", "Left", false, true},
      {11, 59, seconds(1), "11:59 am up 1s", 15360, "0,0 15360x11520", "Left|Top|Width|Height",
       true, false},
      {19, 5, seconds(93784), "7:05 pm up 1d 2h 3m 4s", 12000, "6360,12120 9000x300", "Height",
       true, true},
      {9, 0, milliseconds(400), "9:00 am up ", 1000, "6360,12120 9000x1500", "", false, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.second);
    fake::Harness h;
    h.program.workBrowserLeft = 15360 - 9000;
    h.program.workBrowserTop = 11520 + 600;
    h.program.nextTimer().setInterval(5000);
    auto& form = h.window();
    form.setWidth(r.windowWidth);
    int left, top, width, height;
    std::sscanf(r.work, "%d,%d %dx%d", &left, &top, &width, &height);
    h.work().move(left, top, width, height);
    form.next.setEnabled(r.nextEnabled);
    h.platform.advance(milliseconds(1000));  // part of an armed timer's count has run
    h.platform.clock_.set(2004, 1, 3, r.hour, r.minute, 0);  // a Saturday
    h.program.startTime = h.platform.clock_.now_ - r.up;
    const auto deadline = form.next.deadline();
    h.program.navPending = r.navPending;
    timeTimer_Timer(h.program);

    auto& label = form.clockLabel;
    EXPECT_EQ(label.caption(), std::string("Saturday, Jan 3\r\n") + r.second + "\r\nV2.0.80");
    // Three auto-sized lines high, then fixed at 2000 wide; the box fills the rest of the row.
    EXPECT_EQ(fake::Box(label), "1380,10875 2000x585");
    EXPECT_FALSE(label.autoSize());
    EXPECT_EQ(fake::Box(form.addressBox),
              "3380,11205 " + std::to_string(std::max(0, r.windowWidth - 3380)) + "x285");
    // Behind everything: the logo backmost, then the address box, then the label.
    EXPECT_EQ(std::vector(form.stacking.order.begin(), form.stacking.order.begin() + 3),
              (std::vector<fake::FakeControl*>{&form.logo, &form.addressBox, &label}));
    Lines lines;
    for (const auto& field : fake::Split(r.resets))
      lines.push_back("[Timer] reset workBrowser." + field);
    EXPECT_EQ(h.status(), lines);
    EXPECT_EQ(fake::Box(h.work()), "6360,12120 9000x1500");
    EXPECT_EQ(form.next.enabled(), r.nextEnabled || !r.navPending);
    if (r.nextEnabled) {
      EXPECT_EQ(form.next.deadline(), deadline);
    }
    EXPECT_EQ(h.trace().back(), "timeTimer OUT");
  }
}

}  // namespace
