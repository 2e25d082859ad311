#include "interaction/layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "interaction/clock_timer.h"
#include "support/harness.h"

namespace {

using Lines = std::vector<std::string>;

// The fake screen: 1024 x 768 pixels, 15360 x 11520 twips.
constexpr int kScreenWidth = 15360;
constexpr int kScreenHeight = 11520;

// In twips.
struct Size {
  int width, height;
};
struct Frame {
  int left, top, width, height;
};

TEST(ResizeIBrowser, ShrinksOnlyTheDirectionAPageEnlarged) {
  const std::string height = "[B-Bastards!] resize height ", width = "[B-Bastards!] resize width ";
  struct Row {
    const char* name;
    Size before;
    Lines status;
    Size after;
  } rows[] = {
      {.name = "just inside the screen less its margin",
       .before = {kScreenWidth - 501, kScreenHeight - 501},
       .status = {},
       .after = {kScreenWidth - 501, kScreenHeight - 501}},
      {.name = "as high as the screen less its margin",
       .before = {3600, kScreenHeight - 500},
       .status = {height + "11020 -> 1500"},
       .after = {3600, 1500}},
      {.name = "as wide as the screen less its margin",
       .before = {kScreenWidth - 500, 2220},
       .status = {width + "14860 -> 9000"},
       .after = {9000, 2220}},
      {.name = "larger than the screen",
       .before = {kScreenWidth + 100, kScreenHeight},
       .status = {height + "11520 -> 1500", width + "15460 -> 9000"},
       .after = {9000, 1500}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    fake::Harness h;
    h.browser(7).move(0, 0, r.before.width, r.before.height);
    ResizeIBrowser(h.program, 7);
    EXPECT_EQ(h.status(), r.status);
    EXPECT_EQ(h.browser(7).width(), r.after.width);
    EXPECT_EQ(h.browser(7).height(), r.after.height);
    EXPECT_TRUE(h.browser(7).silent());
  }
}

// A window too far right would give the address box a negative width: the resize ends there,
// keeping what it placed before.
TEST(FormResize, LaysTheStripAlongTheNewBottomEdgeAndReparks) {
  struct Row {
    const char* name;
    int left, width, height;  // the window's
  } rows[] = {
      {
          .name = "the whole screen",
          .left = 0,
          .width = kScreenWidth,
          .height = kScreenHeight,
      },
      {
          .name = "a smaller window",
          .left = 0,
          .width = 12000,
          .height = 9000,
      },
      {
          .name = "a window too far right",
          .left = 20000,
          .width = 9600,
          .height = 7200,
      },
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    fake::Harness h;
    auto& form = h.window();
    form.move(r.left, 0, r.width, r.height);
    form.addressBox.setWidth(4000);
    Form_Resize(h.program);
    EXPECT_EQ(h.program.workBrowserLeft, r.width - 9000);
    EXPECT_EQ(h.program.workBrowserTop, r.height + 600);
    EXPECT_EQ(fake::Box(h.work()),
              std::to_string(r.width - 9000) + "," + std::to_string(r.height + 600) + " 9000x1500");
    EXPECT_EQ(fake::Box(form.logo), "0," + std::to_string(r.height - 1170 + 60) + " 1320x1170");
    EXPECT_EQ(form.clockLabel.left(), form.logo.width());
    EXPECT_EQ(form.clockLabel.top(), r.height - form.clockLabel.height() - 60);
    EXPECT_EQ(form.addressBox.left(), form.clockLabel.left() + form.clockLabel.width());
    EXPECT_EQ(form.addressBox.top(), r.height - form.addressBox.height() + 60);
    EXPECT_EQ(form.addressBox.width(), r.left ? 4000 : r.width);
    EXPECT_TRUE(h.status().empty());
  }
}

// 1280 x 1024 on the left, 1920 x 1080 on the right and 200 lower, in twips.
constexpr platform::Monitor kLeft{0, 0, 19200, 15360, false};
constexpr platform::Monitor kRightLower{19200, 3000, 28800, 16200, false};

platform::Monitor Marked(platform::Monitor m) {
  m.primary = true;
  return m;
}

// The strip runs along the bottom of the primary monitor (the larger one when none is marked),
// first laid out by the resize, then by the clock; the work browser stays below the window.
TEST(FormResize, TheStripSitsOnThePrimaryMonitor) {
  struct Row {
    const char* name;
    std::vector<platform::Monitor> monitors;
    int left, bottom, right;  // the primary monitor's edges
  } rows[] = {
      {.name = "right one primary, lower",
       .monitors = {kLeft, Marked(kRightLower)},
       .left = 19200,
       .bottom = 19200,
       .right = 48000},
      {.name = "left one primary, shorter than the window",
       .monitors = {Marked(kLeft), kRightLower},
       .left = 0,
       .bottom = 15360,
       .right = 19200},
      {.name = "none marked: the larger",
       .monitors = {kLeft, kRightLower},
       .left = 19200,
       .bottom = 19200,
       .right = 48000},
      {.name = "the primary one beyond the window: the window's own edges",
       .monitors = {kLeft, Marked({48000, 0, 19200, 15360, false})},
       .left = 0,
       .bottom = 19200,
       .right = 48000},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    fake::Harness h;
    h.platform.screen_.monitors_ = r.monitors;
    auto& form = h.window();
    form.move(0, 0, 48000, 19200);
    Form_Resize(h.program);
    EXPECT_EQ(fake::Box(h.work()), "39000,19800 9000x1500");
    EXPECT_EQ(fake::Box(form.logo),
              std::to_string(r.left) + "," + std::to_string(r.bottom - 1110) + " 1320x1170");
    EXPECT_EQ(form.clockLabel.top(), r.bottom - form.clockLabel.height() - 60);
    EXPECT_EQ(form.addressBox.top(), r.bottom - form.addressBox.height() + 60);

    timeTimer_Timer(h.program);
    EXPECT_EQ(form.clockLabel.left(), r.left + 1320 + 60);
    EXPECT_EQ(form.clockLabel.top(), r.bottom - form.clockLabel.height() - 60);
    EXPECT_EQ(form.addressBox.top(), r.bottom - form.addressBox.height() - 30);
    EXPECT_EQ(form.addressBox.left() + form.addressBox.width(), r.right);
  }
}

// "Screen minus 500" is the size of the monitor the browser's frame is on (the primary one
// while it is parked below the window).
TEST(ResizeIBrowser, MeasuresAgainstTheFramesMonitor) {
  struct Row {
    const char* name;
    int frameLeft, frameTop;
    int newHeight;
  } rows[] = {
      {
          .name = "on the left monitor, 1024 high",
          .frameLeft = 0,
          .frameTop = 0,
          .newHeight = 1500,
      },
      {.name = "on the right monitor, 1080 high",
       .frameLeft = 20000,
       .frameTop = 3000,
       .newHeight = 14860},
      {.name = "parked below the window: the primary one",
       .frameLeft = 0,
       .frameTop = 19800,
       .newHeight = 14860},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    fake::Harness h;
    h.platform.screen_.monitors_ = {kLeft, Marked(kRightLower)};
    h.picbox(7).move(r.frameLeft, r.frameTop, 3000, 3000);
    h.browser(7).move(0, 0, 3600, 14860);
    ResizeIBrowser(h.program, 7);
    EXPECT_EQ(h.browser(7).height(), r.newHeight);
  }
}

// After a change of monitors a shown panel that no monitor shows whole goes onto the one
// showing most of it; one that no monitor shows at all is hidden until its next picture.
TEST(FormMonitorsChanged, KeepsShownPanelsOnTheMonitors) {
  struct Row {
    const char* name;
    Frame before;
    bool shownBefore = true;
    Frame after;
    bool shownAfter = true;
  } rows[] = {
      {.name = "wholly on a monitor: stays",
       .before = {1000, 1000, 3000, 2000},
       .after = {1000, 1000, 3000, 2000}},
      {.name = "across the seam: onto the monitor showing most",
       .before = {18000, 4000, 3000, 2000},
       .after = {19200, 4000, 3000, 2000}},
      {.name = "partly in the dead zone below the left monitor",
       .before = {1000, 14000, 3000, 2000},
       .after = {1000, 13360, 3000, 2000}},
      {.name = "larger than its monitor: at its top-left corner",
       .before = {100, 100, 20000, 2000},
       .after = {0, 100, 20000, 2000}},
      {.name = "on no monitor: hidden where it was",
       .before = {1000, 16000, 3000, 2000},
       .after = {1000, 16000, 3000, 2000},
       .shownAfter = false},
      {.name = "hidden: left alone",
       .before = {1000, 16000, 3000, 2000},
       .shownBefore = false,
       .after = {1000, 16000, 3000, 2000},
       .shownAfter = false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    fake::Harness h;
    h.platform.screen_.monitors_ = {kLeft, Marked(kRightLower)};
    h.window().move(0, 0, 48000, 19200);
    auto& frame = h.picbox(2);
    frame.move(r.before.left, r.before.top, r.before.width, r.before.height);
    frame.setVisible(r.shownBefore);
    Form_MonitorsChanged(h.program);
    EXPECT_EQ(frame.visible(), r.shownAfter);
    EXPECT_EQ(frame.left(), r.after.left);
    EXPECT_EQ(frame.top(), r.after.top);
    EXPECT_EQ(frame.width(), r.after.width);
    EXPECT_EQ(frame.height(), r.after.height);
    // The strip has moved to the primary monitor with it.
    EXPECT_EQ(h.window().logo.left(), 19200);
  }
}

}  // namespace
