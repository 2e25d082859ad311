// The message window's real widgets, offscreen, driven by its logic on virtual time.
#include <gtest/gtest.h>

#include <QLabel>
#include <QWidget>

#include "app/program.h"
#include "desktop/qt_message_view.h"
#include "dialogs/message_window.h"
#include "qt_test_app.h"
#include "support/fake_platform.h"

namespace {

struct RealMessagePlatform : fake::FakePlatform {
  RealMessagePlatform() : view(std::make_unique<fake::FakeTimer>(*this, "msgTextTimer")) {}
  desktop::QtMessageView view;
  platform::MessageView& messageView() override { return view; }
};

TEST(QtMessageView, ShowsANoticeSizedToItsTextAndClosesItself) {
  desktop_test::ensureApplication();
  RealMessagePlatform platform;
  Program program(platform);
  QWidget& window = platform.view.window();
  QLabel& label = platform.view.label();
  ShowMessage(program, "File saved as 20040103-142501.jpg");
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(label.text(), "File saved as 20040103-142501.jpg");
  const int shortWidth = window.width();

  ShowMessage(program, "A much longer notice that needs a much wider window than the first one");
  EXPECT_GT(window.width(), shortWidth);
  EXPECT_EQ(window.width(), label.width() + 24 - (window.frameGeometry().width() - window.width()));

  platform.advanceSeconds(5);
  EXPECT_FALSE(window.isVisible());
}

}  // namespace
