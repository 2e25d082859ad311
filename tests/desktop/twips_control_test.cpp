// Controls in twips over real widgets: the pixels shown, changes from outside, re-parenting
// into a container, stacking (the twips themselves: platform_contract_test.cpp).
#include "desktop/twips_control.h"

#include <gtest/gtest.h>

#include <QEvent>
#include <string>

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

// Counts the stacking changes Qt reports to a widget: each one repaints it.
struct ZOrderChanges : QObject {
  int count = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::ZOrderChange) ++count;
    return false;
  }
};

TEST_F(TwipsControlTest, ZOrderMovesAmongSiblingsOnlyWhenNeeded) {
  struct Row {
    const char* name;
    int control;  // 0 = a, 1 = b, 2 = c
    int position;
    std::string order;  // back to front, after the call
    int changes;
  } rows[] = {
      {.name = "already in front, a non-widget child after it",
       .control = 2,
       .position = 0,
       .order = "abc",
       .changes = 0},
      {.name = "front to back", .control = 2, .position = 1, .order = "cab", .changes = 1},
      {.name = "already at the back", .control = 2, .position = 1, .order = "cab", .changes = 0},
      {.name = "middle to front", .control = 0, .position = 0, .order = "cba", .changes = 1},
      {.name = "middle to back", .control = 1, .position = 1, .order = "bca", .changes = 1},
  };
  QWidget a(&window), b(&window), c(&window);
  QObject timerLike(&window);  // a child that is no widget, after the others
  QWidget* widgets[] = {&a, &b, &c};
  desktop::TwipsControl ca(a, screen), cb(b, screen), cc(c, screen);
  desktop::TwipsControl* controls[] = {&ca, &cb, &cc};
  const auto order = [&] {
    std::string names;
    for (QObject* o : window.children())
      names += o == &a ? "a" : o == &b ? "b" : o == &c ? "c" : "";
    return names;
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    ZOrderChanges changes;
    widgets[r.control]->installEventFilter(&changes);
    controls[r.control]->zOrder(r.position);
    widgets[r.control]->removeEventFilter(&changes);
    EXPECT_EQ(order(), r.order);
    EXPECT_EQ(changes.count, r.changes);
  }
}

}  // namespace
