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

// Seconds only, all four parts and under a second: the clock label's rows below.
TEST(FormatInterval, WritesOnlyTheNonZeroParts) {
  const struct {
    const char* name;
    std::int64_t seconds;
    const char* text;
  } rows[] = {
      {.name = "all three", .seconds = 3661, .text = "1h 1m 1s"},
      {.name = "no seconds", .seconds = 3660, .text = "1h 1m"},
      {.name = "a minute", .seconds = 60, .text = "1m"},
      {.name = "a day", .seconds = 86400, .text = "1d"},
      {.name = "a day and a second", .seconds = 86401, .text = "1d 1s"},
      {.name = "nothing", .seconds = 0, .text = ""},
      {.name = "backwards", .seconds = -5, .text = ""},
      {.name = "days never become years", .seconds = (24 * 400 + 5) * 3600, .text = "400d 5h"},
  };
  const platform::LocalTime start{};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(FormatInterval(start, start + seconds(r.seconds)), r.text);
  }
}

// A control's place, in twips.
struct Box {
  int left, top, width, height;
};
constexpr Box kParked = {6360, 12120, 9000, 1500};  // the work browser out of sight

// Each tick writes the clock, lays out the strip, puts a moved work browser back (a line for
// each field it resets) and restarts a stopped slideshow unless a crawl is under way; an armed
// pacing timer keeps its count.
TEST(TimeTimer, WritesTheClockLaysOutTheStripAndWatchesTheShow) {
  struct Row {
    const char* name;
    struct {
      int hour, minute;
    } at;  // on a Saturday
    milliseconds up = seconds(1);
    const char* second;       // the label's second line
    int windowWidth = 15360;  // a window narrower than the strip gives the box no width
    Box work = kParked;       // where the work browser was moved to
    Lines resets = {};        // the fields put back
    bool nextEnabled = false, navPending = false;
  };
  const Row rows[] = {
      {.name = "after midnight", .at = {0, 30}, .second = "12:30 am up 1s"},
      {.name = "after noon, the work browser moved sideways",
       .at = {12, 30},
       .second = "12:30 pm up 1s",
       .work = {100, 12120, 9000, 1500},
       .resets = {"Left"},
       .navPending = true},
      {.name = "before noon, the work browser over the screen",
       .at = {11, 59},
       .second = "11:59 am up 1s",
       .work = {0, 0, 15360, 11520},
       .resets = {"Left", "Top", "Width", "Height"},
       .nextEnabled = true},
      {.name = "evening, a day up, a narrower window",
       .at = {19, 5},
       .up = seconds(93784),
       .second = "7:05 pm up 1d 2h 3m 4s",
       .windowWidth = 12000,
       .work = {6360, 12120, 9000, 300},
       .resets = {"Height"},
       .nextEnabled = true,
       .navPending = true},
      {.name = "under a second up, a window narrower than the strip",
       .at = {9, 0},
       .up = milliseconds(400),
       .second = "9:00 am up ",
       .windowWidth = 1000},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    fake::Harness h;
    h.program.workBrowserLeft = kParked.left;
    h.program.workBrowserTop = kParked.top;
    h.program.nextTimer().setInterval(5000);
    auto& form = h.window();
    form.setWidth(r.windowWidth);
    h.work().move(r.work.left, r.work.top, r.work.width, r.work.height);
    form.next.setEnabled(r.nextEnabled);
    h.platform.advance(milliseconds(1000));  // part of an armed timer's count has run
    h.platform.clock_.set(2004, 1, 3, r.at.hour, r.at.minute, 0);
    h.program.startTime = h.platform.clock_.now_ - r.up;
    const auto deadline = form.next.deadline();
    h.program.navPending = r.navPending;
    form.clockLabel.setAutoSize(false);  // as the window's load and every tick leave it
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
    for (const auto& field : r.resets) lines.push_back("[Timer] reset workBrowser." + field);
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
