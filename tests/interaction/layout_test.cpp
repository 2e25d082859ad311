#include "interaction/layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/harness.h"

namespace {

using Lines = std::vector<std::string>;

// The fake screen: 1024 x 768 pixels, 15360 x 11520 twips.
constexpr int kScreenWidth = 15360;
constexpr int kScreenHeight = 11520;

TEST(ResizeIBrowser, ShrinksOnlyTheDirectionAPageEnlarged) {
  struct Row {
    const char* name;
    int width, height;
    Lines lines;
    int newWidth, newHeight;
  } rows[] = {
      {"normal size", 3600, 2220, {}, 3600, 2220},
      {"just short of the limit",
       kScreenWidth - 501,
       kScreenHeight - 501,
       {},
       kScreenWidth - 501,
       kScreenHeight - 501},
      {"height exactly at the limit",
       3600,
       kScreenHeight - 500,
       {"[B-Bastards!] resize height 11020 -> 1500"},
       3600,
       1500},
      {"width exactly at the limit",
       kScreenWidth - 500,
       2220,
       {"[B-Bastards!] resize width 14860 -> 9000"},
       9000,
       2220},
      {"both, height first",
       kScreenWidth + 100,
       kScreenHeight,
       {"[B-Bastards!] resize height 11520 -> 1500", "[B-Bastards!] resize width 15460 -> 9000"},
       9000,
       1500},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    fake::Harness h;
    h.debug();
    h.browser(7).move(0, 0, r.width, r.height);
    ResizeIBrowser(h.program, 7);
    EXPECT_EQ(h.status(), r.lines);
    EXPECT_EQ(h.browser(7).width(), r.newWidth);
    EXPECT_EQ(h.browser(7).height(), r.newHeight);
    EXPECT_TRUE(h.browser(7).silent());
  }
}

TEST(ResizeBrowsers, ASlotIndexLeavesTheWorkBrowserAlone) {
  fake::Harness h;
  h.work().move(0, 0, 500, 500);
  h.browser(1).setHeight(kScreenHeight);
  h.browser(2).setHeight(kScreenHeight);
  ResizeBrowsers(h.program, 1);
  EXPECT_EQ(h.browser(1).height(), 1500);
  EXPECT_EQ(h.browser(2).height(), kScreenHeight);
  EXPECT_EQ(h.work().width(), 500);
  EXPECT_FALSE(h.work().silent());
}

TEST(ResizeBrowsers, MinusOneTreatsEverySlotThenTheWorkBrowser) {
  struct Row {
    const char* name;
    int left, top, width, height;
  } rows[] = {
      {"already parked", 6360, 12120, 9000, 1500},
      {"dragged into view and resized", 0, 0, 15360, 11520},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    fake::Harness h;
    h.debug();
    h.program.workBrowserLeft = 6360;
    h.program.workBrowserTop = 12120;
    h.work().move(r.left, r.top, r.width, r.height);
    h.work().setVisible(false);
    h.work().zOrder(1);
    for (int k = 0; k < 10; ++k) h.browser(k).setHeight(kScreenHeight);
    ResizeBrowsers(h.program, -1);

    for (int k = 0; k < 10; ++k) EXPECT_EQ(h.browser(k).height(), 1500) << k;
    EXPECT_EQ(h.status().size(), 10u) << "one line per slot, none for the work browser";
    auto& work = h.work();
    EXPECT_EQ(work.left(), 6360);
    EXPECT_EQ(work.top(), 12120);
    EXPECT_EQ(work.width(), 9000);
    EXPECT_EQ(work.height(), 1500);
    EXPECT_TRUE(work.visible());
    EXPECT_TRUE(work.silent());
    EXPECT_EQ(h.window().stacking.order.back(), &work) << "in front";
    const Lines trace = h.trace();
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace.front(), "ResizeBrowsers IN");
    EXPECT_EQ(trace.back(), "ResizeBrowsers OUT");
  }
}

TEST(FormResize, LaysTheStripAlongTheNewBottomEdgeAndReparks) {
  const std::pair<int, int> sizes[] = {{kScreenWidth, kScreenHeight}, {12000, 9000}};
  for (const auto& [W, H] : sizes) {
    fake::Harness h;
    auto& form = h.window();
    form.move(0, 0, W, H);
    Form_Resize(h.program);
    EXPECT_EQ(h.program.workBrowserTop, H + 600);
    EXPECT_EQ(h.program.workBrowserLeft, W - 9000);
    EXPECT_EQ(h.work().top(), H + 600);
    EXPECT_EQ(h.work().left(), W - 9000);
    EXPECT_EQ(form.logo.left(), 0);
    EXPECT_EQ(form.logo.top(), H - form.logo.height() + 60);
    EXPECT_EQ(form.clockLabel.left(), form.logo.width());
    EXPECT_EQ(form.clockLabel.top(), H - form.clockLabel.height() - 60);
    EXPECT_EQ(form.addressBox.left(), form.clockLabel.left() + form.clockLabel.width());
    EXPECT_EQ(form.addressBox.top(), H - form.addressBox.height() + 60);
    EXPECT_EQ(form.addressBox.width(), W);
  }
}

TEST(FormResize, AFailureEndsItSilentlyKeepingWhatWasPlaced) {
  fake::Harness h;
  h.debug();
  auto& form = h.window();
  form.move(20000, 0, 9600, 7200);  // the address box would get a negative width
  h.window().addressBox.setWidth(4000);
  EXPECT_NO_THROW(Form_Resize(h.program));
  EXPECT_EQ(form.logo.top(), 7200 - form.logo.height() + 60);
  EXPECT_EQ(form.addressBox.top(), 7200 - form.addressBox.height() + 60);
  EXPECT_EQ(form.addressBox.width(), 4000);
  EXPECT_TRUE(h.status().empty());
}

TEST(FormMouseDown, OnlyTheLeftButtonClosesTheWindow) {
  const std::pair<int, int> rows[] = {{1, 1}, {2, 0}, {4, 0}, {3, 0}};
  for (const auto& [button, closes] : rows) {
    fake::Harness h;
    Form_MouseDown(h.program, button);
    EXPECT_EQ(h.window().closeCalls, closes) << "button " << button;
  }
}

}  // namespace
