// The application-wide mouse filter: one call per message however far it propagates,
// swallowing, and the page-view flag.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <vector>

#include "desktop/qt_mouse_hooks.h"
#include "web/display_view.h"

namespace {

using platform::MouseMessage;

struct MouseHooksTest : ::testing::Test {
  void SetUp() override {
    window.resize(400, 300);
    window.show();
    child.setGeometry(10, 10, 100, 100);  // a plain widget ignores presses: they go up
    child.show();
  }
  desktop::QtMouseHooks hooks;
  QWidget window;
  QWidget child{&window};
  std::vector<platform::MouseHookEvent> seen;
  bool swallow = false;
  int install() {
    return hooks.installMouseHook([this](const platform::MouseHookEvent& e) {
      seen.push_back(e);
      return swallow;
    });
  }
};

// Each message once, with its kind, screen position and whether a page view is under it; moves
// included though nothing tracks the mouse (the logo needs them); nothing after removal.
TEST_F(MouseHooksTest, EachMessageOnceWithItsKindPositionAndPageViewFlag) {
  web::Engine engine;
  web::WebBrowser browser(engine);
  web::DisplayView view(browser, &window);
  view.setGeometry(150, 100, 200, 150);
  view.show();
  const int handle = install();
  ASSERT_NE(handle, 0);
  QTest::mousePress(&child, Qt::LeftButton, {}, QPoint(5, 6));
  QTest::mouseRelease(&child, Qt::LeftButton, {}, QPoint(5, 6));
  QTest::mousePress(view.viewport(), Qt::RightButton, {}, QPoint(20, 20));
  QTest::mouseRelease(view.viewport(), Qt::RightButton, {}, QPoint(20, 20));
  QTest::mouseMove(&child, QPoint(7, 8));
  // As the window system delivers a message: to the window first, then to the widget under it.
  QTest::mouseMove(window.windowHandle(), view.viewport()->mapTo(&window, QPoint(30, 30)));
  const struct {
    const char* name;
    MouseMessage message;
    QWidget* widget;
    QPoint at;
  } expected[] = {
      {.name = "left press on a widget",
       .message = MouseMessage::LeftDown,
       .widget = &child,
       .at = {5, 6}},
      {.name = "left release on a widget",
       .message = MouseMessage::LeftUp,
       .widget = &child,
       .at = {5, 6}},
      {.name = "right press on a browser",
       .message = MouseMessage::RightDown,
       .widget = view.viewport(),
       .at = {20, 20}},
      {.name = "right release on a browser",
       .message = MouseMessage::RightUp,
       .widget = view.viewport(),
       .at = {20, 20}},
      {.name = "a move over a widget",
       .message = MouseMessage::Move,
       .widget = &child,
       .at = {7, 8}},
      {.name = "a move through the window, over a browser",
       .message = MouseMessage::Move,
       .widget = view.viewport(),
       .at = {30, 30}},
  };
  ASSERT_GE(seen.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE(expected[i].name);
    EXPECT_EQ(seen[i].message, expected[i].message);
    EXPECT_EQ(QPoint(seen[i].xPixels, seen[i].yPixels),
              expected[i].widget->mapToGlobal(expected[i].at));
    EXPECT_EQ(seen[i].overBrowser, expected[i].widget != &child);
  }
  const std::size_t count = seen.size();
  hooks.removeMouseHook(handle);
  QTest::mouseClick(&child, Qt::LeftButton);
  EXPECT_EQ(seen.size(), count);
}

TEST_F(MouseHooksTest, SwallowedMessagesNeverArrive) {
  QPushButton button(&window);
  button.show();
  install();
  swallow = true;
  QTest::mousePress(&button, Qt::LeftButton);
  EXPECT_FALSE(button.isDown());
  swallow = false;
  QTest::mousePress(&button, Qt::LeftButton);
  EXPECT_TRUE(button.isDown());
}

}  // namespace
