// Controls in twips over real widgets: the pixels shown, changes from outside, re-parenting
// into a container, stacking (the twips themselves: platform_contract_test.cpp).
#include "desktop/twips_control.h"

#include <gtest/gtest.h>

#include "desktop/qt_screen.h"
#include "platform/run_time_error.h"

namespace {

struct TwipsControlTest : ::testing::Test {
  desktop::QtScreen screen;
  QWidget window;
};

TEST_F(TwipsControlTest, ShowsRoundedPixels) {
  struct Row {
    const char* name;
    QRect twips, pixels;
  } rows[] = {
      {.name = "whole pixels", .twips = {0, 0, 9000, 1500}, .pixels = {0, 0, 600, 100}},
      {.name = "3007/15 = 200.47, 22/15 = 1.47",
       .twips = {-30, 11535, 3007, 22},
       .pixels = {-2, 769, 200, 1}},
      {.name = "8/15 rounds up, 7/15 down", .twips = {7, 8, 8, 0}, .pixels = {0, 1, 1, 0}},
  };
  QWidget child(&window);
  desktop::TwipsControl control(child, screen);
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    control.move(r.twips.x(), r.twips.y(), r.twips.width(), r.twips.height());
    EXPECT_EQ(child.geometry(), r.pixels);
  }
}

TEST_F(TwipsControlTest, ChangesMadeOutsideShowThrough) {
  QWidget child(&window);
  desktop::TwipsControl control(child, screen);
  control.move(1000, 1000, 1000, 1000);
  child.resize(40, 20);  // auto-size, a window manager
  EXPECT_EQ(control.width(), 600);
  EXPECT_EQ(control.height(), 300);
  EXPECT_EQ(control.left(), child.x() * 15);
}

TEST_F(TwipsControlTest, ContainerTakesTheControlAndKeepsItsTwips) {
  window.resize(800, 600);
  window.show();
  QWidget frameWidget(&window), childWidget(&window);
  desktop::TwipsControl frame(frameWidget, screen), child(childWidget, screen);
  frame.move(1500, 1500, 3000, 3000);
  child.move(-30, -30, 4500, 4500);
  child.setContainer(frame);
  EXPECT_EQ(childWidget.parentWidget(), &frameWidget);
  EXPECT_TRUE(childWidget.isVisible());
  EXPECT_EQ(childWidget.geometry(), QRect(-2, -2, 300, 300));
  EXPECT_EQ(child.left(), -30);
  // A hidden control stays hidden in its new container.
  QWidget hiddenWidget(&window);
  desktop::TwipsControl hidden(hiddenWidget, screen);
  hidden.setVisible(false);
  hidden.setContainer(frame);
  EXPECT_FALSE(hidden.visible());
  EXPECT_FALSE(hiddenWidget.isVisible());
  // Only controls with a widget can contain others; a control cannot contain itself.
  EXPECT_THROW(child.setContainer(child), platform::RunTimeError);
}

TEST_F(TwipsControlTest, ZOrderRaisesAndLowersAmongSiblings) {
  QWidget a(&window), b(&window), c(&window);
  desktop::TwipsControl ca(a, screen), cb(b, screen), cc(c, screen);
  const auto order = [&] {
    std::string names;
    for (QObject* o : window.children())
      names += o == &a ? "a" : o == &b ? "b" : o == &c ? "c" : "";
    return names;  // back to front
  };
  EXPECT_EQ(order(), "abc");
  ca.zOrder(0);
  EXPECT_EQ(order(), "bca");
  cc.zOrder(1);
  EXPECT_EQ(order(), "cba");
}

}  // namespace
