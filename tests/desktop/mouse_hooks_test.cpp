// The application-wide mouse filter: one call per message however far it propagates,
// swallowing, and the page-view flag.
#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QTest>
#include <vector>

#include "desktop/qt_mouse_hooks.h"
#include "qt_test_app.h"
#include "web/display_view.h"

namespace {

using platform::MouseMessage;

struct MouseHooksTest : ::testing::Test {
  static void SetUpTestSuite() { desktop_test::ensureApplication(); }
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

TEST_F(MouseHooksTest, EachMessageOnceWithItsKindAndScreenPositionMovesIncluded) {
  const int handle = install();
  ASSERT_NE(handle, 0);
  for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
    QTest::mousePress(&child, button, {}, QPoint(5, 6));
    QTest::mouseRelease(&child, button, {}, QPoint(5, 6));
  }
  QTest::mouseMove(&child, QPoint(7, 8));  // no mouse tracking anywhere: the logo needs them
  ASSERT_GE(seen.size(), 5u);
  const MouseMessage expected[] = {MouseMessage::LeftDown, MouseMessage::LeftUp,
                                   MouseMessage::RightDown, MouseMessage::RightUp,
                                   MouseMessage::Move};
  for (std::size_t i = 0; i < 5; ++i) {
    const QPoint at = child.mapToGlobal(i < 4 ? QPoint(5, 6) : QPoint(7, 8));
    EXPECT_EQ(seen[i].message, expected[i]) << i;
    EXPECT_EQ(QPoint(seen[i].xPixels, seen[i].yPixels), at) << i;
    EXPECT_FALSE(seen[i].overBrowser);
  }
  const std::size_t count = seen.size();
  hooks.removeMouseHook(handle);
  QTest::mouseClick(&child, Qt::LeftButton);
  EXPECT_EQ(seen.size(), count);
}

TEST_F(MouseHooksTest, SwallowedMessagesNeverArrive) {
  struct Catcher : QWidget {
    using QWidget::QWidget;
    int presses = 0;
    void mousePressEvent(QMouseEvent*) override { ++presses; }
  } catcher(&window);
  catcher.setGeometry(200, 10, 50, 50);
  catcher.show();
  install();
  swallow = true;
  QTest::mousePress(&catcher, Qt::LeftButton);
  EXPECT_EQ(catcher.presses, 0);
  swallow = false;
  QTest::mousePress(&catcher, Qt::LeftButton);
  EXPECT_EQ(catcher.presses, 1);
}

TEST_F(MouseHooksTest, MessagesToAPageViewAreMarked) {
  web::Engine engine;
  web::WebBrowser browser(engine);
  web::DisplayView view(browser, &window);
  view.setGeometry(150, 100, 200, 150);
  view.show();
  install();
  QTest::mousePress(view.viewport(), Qt::RightButton, {}, QPoint(20, 20));
  QTest::mouseRelease(view.viewport(), Qt::RightButton, {}, QPoint(20, 20));
  QTest::mouseClick(&child, Qt::RightButton);
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_TRUE(seen[0].overBrowser);
  EXPECT_TRUE(seen[1].overBrowser);
  EXPECT_EQ(seen[1].message, MouseMessage::RightUp);
  EXPECT_FALSE(seen[3].overBrowser);
}

}  // namespace
