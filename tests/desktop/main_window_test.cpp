// imageForm on real widgets, offscreen: where presses go, the unload happening once, the
// browsers' signals reaching the logic's events, and covering the screen.
#include <gtest/gtest.h>

#include <QTest>
#include <string>

#include "desktop/qt_main_window.h"
#include "desktop/qt_screen.h"
#include "web/display_view.h"

namespace {

struct MainWindowTest : ::testing::Test {
  void SetUp() override {
    window.setEvents({
        .unload = [this] { log += "unload;"; },
        .resize = {},
        .mouseDown = [this](int b) { log += "down" + std::to_string(b) + ";"; },
        .logoClick = [this] { log += "logoClick;"; },
        .logoMouseDown = [this](int b) { log += "logoDown" + std::to_string(b) + ";"; },
        .logoMouseUp = [this](int b) { log += "logoUp" + std::to_string(b) + ";"; },
        .monitorsChanged = {},
    });
  }
  web::Engine engine;
  desktop::QtScreen screen;
  desktop::QtMainWindow window{engine, screen};
  std::string log;
};

TEST_F(MainWindowTest, PressesReachTheBareSurfaceOnlyWhereNoControlIs) {
  window.move(0, 0, 800 * 15, 600 * 15);
  window.picbox(0).move(3000, 3000, 1500, 1500);
  window.timeLab().move(6000, 6000, 1500, 300);
  window.urlBox().move(0, 7500, 6000, 285);
  window.picLogo().move(0, 8000, 1320, 1170);
  window.show();
  QWidget& form = window.form();
  QTest::mouseClick(&form, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseClick(&form, Qt::RightButton, {}, QPoint(5, 5));
  EXPECT_EQ(log, "down1;down2;");
  log.clear();
  for (QPoint inside : {QPoint(210, 210), QPoint(410, 405), QPoint(10, 505)})
    QTest::mouseClick(form.childAt(inside), Qt::LeftButton);
  EXPECT_EQ(log, "");
  QTest::mouseClick(&window.logoWidget(), Qt::LeftButton);
  QTest::mouseClick(&window.logoWidget(), Qt::RightButton);
  EXPECT_EQ(log, "logoDown1;logoUp1;logoClick;logoDown2;logoUp2;");
}

// By the program's own close or the window manager's, first or after the other: once.
TEST_F(MainWindowTest, UnloadsOnceByEitherRoute) {
  for (const bool managerFirst : {false, true}) {
    desktop::QtMainWindow other{engine, screen};
    int unloads = 0;
    platform::MainWindow::Events events;
    events.unload = [&] { ++unloads; };
    other.setEvents(events);
    other.show();
    if (managerFirst) other.form().close();
    other.close();
    other.form().close();
    EXPECT_EQ(unloads, 1) << managerFirst;
    EXPECT_TRUE(other.unloaded());
  }
}

TEST_F(MainWindowTest, EscapeUnloadsUnlessAScreenSaverStartedIt) {
  window.show();
  QApplication::setActiveWindow(&window.form());
  window.setEscapeCloses(false);
  QTest::keyClick(&window.form(), Qt::Key_Escape);
  EXPECT_EQ(log, "");
  window.setEscapeCloses(true);
  QTest::keyClick(&window.form(), Qt::Key_Escape);
  EXPECT_EQ(log, "unload;");
}

// (Covering the screen in black with its caption: tests/e2e/startup.sh.)
TEST_F(MainWindowTest, OnlyDisplayBrowsersRender) {
  // The work browser's pages are never laid out.
  EXPECT_EQ(qobject_cast<web::DisplayView*>(&window.qtWorkBrowser().view()), nullptr);
  EXPECT_NE(qobject_cast<web::DisplayView*>(&window.qtBrowser(9).view()), nullptr);
  // One for each of the ten panels, no more.
  EXPECT_EQ(window.form().findChildren<web::DisplayView*>().size(), 10);
}

TEST_F(MainWindowTest, LabelSizesItselfOnlyWhileAutoSizeIsOn) {
  auto& label = window.timeLab();
  label.setAutoSize(true);
  label.setCaption("x");
  const int narrow = label.width();
  label.setCaption("xxx");
  const int three = label.width();
  label.setCaption("<b>x</b>");  // shown as written, not read as markup
  EXPECT_GT(label.width(), three);
  label.setCaption("a much longer caption than before");
  EXPECT_GT(label.width(), narrow);
  label.setAutoSize(false);
  label.setWidth(2000);
  label.setCaption("x");
  EXPECT_EQ(label.width(), 2000);
}

// The clock label's own size hint is QLabel's, text after text, and follows a font change.
TEST_F(MainWindowTest, LabelHintIsQLabels) {
  const std::string clock = "Saturday, Dec 5\r\n7:05 pm up 1d 2h 3m 4s\r\nV2.0.80";
  struct Row {
    const char* name;
    std::string text;
    double pointSize;
  } rows[] = {
      {.name = "empty", .text = "", .pointSize = 8.25},
      {.name = "the clock's three lines", .text = clock, .pointSize = 8.25},
      {.name = "the same text again", .text = clock, .pointSize = 8.25},
      {.name = "a second later", .text = clock.substr(0, 37) + "5s\r\nV2.0.80", .pointSize = 8.25},
      {.name = "a larger font", .text = clock, .pointSize = 20},
      {.name = "wider than 2000 pixels", .text = std::string(400, 'W'), .pointSize = 8.25},
  };
  desktop::LabelWidget label(nullptr);
  QLabel reference;
  reference.setTextFormat(Qt::PlainText);
  reference.setAlignment(Qt::AlignLeft | Qt::AlignTop);
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    QFont font = label.font();
    font.setPointSizeF(r.pointSize);
    label.setFont(font);
    reference.setFont(font);
    label.setText(QString::fromStdString(r.text));
    reference.setText(QString::fromStdString(r.text));
    EXPECT_EQ(label.sizeHint(), reference.sizeHint());
  }
}

// (Completions and errors: browser_contract_test.cpp.)
TEST_F(MainWindowTest, NewWindowIsRefusableAndAFailingHandlerStaysInside) {
  auto& browser = window.qtBrowser(3);
  platform::Browser::Events events;
  events.documentComplete = [](const std::string&) { throw std::runtime_error("x"); };
  events.newWindow2 = [](bool& cancel) { cancel = true; };
  browser.setEvents(events);
  bool cancel = false;
  emit browser.webBrowser().newWindowRequested(&cancel);
  EXPECT_TRUE(cancel);
  EXPECT_NO_THROW(emit browser.webBrowser().documentComplete(QStringLiteral("http://c/")));
}

}  // namespace
