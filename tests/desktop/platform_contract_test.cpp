// The platform's promises, held to the fake platform the logic tests run on and to the Qt
// implementation alike: a logic test on the fake then means what it says about the program.
// Qt timers wait for real (short waits, only the order of events is asserted).
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <memory>
#include <string>

#include "desktop/qt_screen.h"
#include "desktop/qt_settings_store.h"
#include "desktop/qt_timer.h"
#include "desktop/twips_control.h"
#include "platform/run_time_error.h"
#include "qt_test_app.h"
#include "support/fake_platform.h"

namespace {

struct FakeSide {
  fake::FakePlatform platform;
  fake::Stacking stacking;
  std::unique_ptr<platform::Timer> timer() {
    return std::make_unique<fake::FakeTimer>(platform, "t");
  }
  void wait(int ms) { platform.advance(std::chrono::milliseconds(ms)); }
  std::unique_ptr<platform::SettingsStore> store() {
    return std::make_unique<fake::FakeSettingsStore>();
  }
  std::unique_ptr<platform::Control> control() {
    return std::make_unique<fake::FakeControl>(&stacking);
  }
};

struct QtSide {
  // First member: the widgets below need the application before they are made.
  struct App {
    App() { desktop_test::ensureApplication(); }
  } app;
  QTemporaryDir dir;
  desktop::QtScreen screen;
  QWidget window;
  std::unique_ptr<platform::Timer> timer() { return std::make_unique<desktop::QtTimer>(); }
  void wait(int ms) { QTest::qWait(ms); }
  std::unique_ptr<platform::SettingsStore> store() {
    return std::make_unique<desktop::QtSettingsStore>(dir.filePath("quorel/quorel.conf"));
  }
  std::unique_ptr<platform::Control> control() {  // the widget goes with the window
    return std::make_unique<desktop::TwipsControl>(*new QWidget(&window), screen);
  }
};

template <typename Side>
struct Contract : ::testing::Test {
  Side side;
  std::string fired;
  // A one-shot use of a timer, as the logic makes it: it disables itself when it fires.
  std::unique_ptr<platform::Timer> watched(char name) {
    auto timer = side.timer();
    platform::Timer* raw = timer.get();
    timer->setOnTimer([this, raw, name] {
      fired += name;
      raw->setEnabled(false);
    });
    return timer;
  }
};

using Sides = ::testing::Types<FakeSide, QtSide>;
TYPED_TEST_SUITE(Contract, Sides);

TYPED_TEST(Contract, ArmingAnArmedTimerKeepsItsDeadline) {
  auto a = this->watched('a'), b = this->watched('b');
  a->setEnabled(false);
  a->setInterval(100);
  a->setEnabled(true);
  this->side.wait(60);
  a->setEnabled(true);  // again: must not restart, or b would come first
  b->setEnabled(false);
  b->setInterval(80);
  b->setEnabled(true);
  this->side.wait(200);
  EXPECT_EQ(this->fired, "ab");
}

TYPED_TEST(Contract, SettingTheIntervalRestartsAnEnabledTimer) {
  auto a = this->watched('a'), b = this->watched('b');
  a->setInterval(100);  // enabled as made: armed now
  this->side.wait(60);
  a->setInterval(100);
  b->setInterval(80);
  this->side.wait(200);
  EXPECT_EQ(this->fired, "ba");
}

TYPED_TEST(Contract, IntervalZeroOrDisabledNeverFires) {
  auto zero = this->watched('z'), off = this->watched('o'), on = this->watched('n');
  EXPECT_TRUE(zero->enabled());  // enabled as made, yet silent
  off->setEnabled(false);
  off->setInterval(10);
  zero->setInterval(0);
  on->setInterval(40);
  this->side.wait(150);
  EXPECT_EQ(this->fired, "n");
}

TYPED_TEST(Contract, ATimerKeepsFiringUntilDisabled) {
  auto timer = this->side.timer();
  int ticks = 0;
  timer->setOnTimer([&] {
    if (++ticks == 3) timer->setEnabled(false);
  });
  timer->setInterval(20);
  this->side.wait(300);
  EXPECT_EQ(ticks, 3);
  EXPECT_FALSE(timer->enabled());
  EXPECT_EQ(timer->interval(), 20);
}

TYPED_TEST(Contract, SettingsComeBackAsWritten) {
  auto store = this->side.store();
  EXPECT_EQ(store->read("MinImageSize", "100x100"), "100x100");
  const std::pair<std::string, std::string> values[] = {
      {"MinImageSize", "100x100"},
      {"AutosavePath", "/home/u/Pictures, saved;x=1"},  // commas and semicolons stay text
      {"Unicode", "Bilder \xC3\xBC\xE2\x82\xAC"},
      {"Leading", "@at sign and \"quotes\""},
      {"Empty", ""},
  };
  for (const auto& [key, text] : values) store->write(key, text);
  store->write("MinImageSize", "48x48");
  EXPECT_EQ(store->read("MinImageSize", "default"), "48x48");
  for (const auto& [key, text] : values) {
    if (key != "MinImageSize") {
      EXPECT_EQ(store->read(key, "default"), text) << key;
    }
  }
  EXPECT_EQ(store->read("Missing", "default"), "default");
}

TYPED_TEST(Contract, ControlsKeepTheirTwipsAndRefuseNegativeSizes) {
  auto control = this->side.control();
  const int moves[][4] = {{0, 0, 9000, 1500}, {-30, 11535, 3007, 22}, {7, 8, 0, 0}};
  for (const auto& m : moves) {
    control->move(m[0], m[1], m[2], m[3]);
    EXPECT_EQ(control->left(), m[0]);
    EXPECT_EQ(control->top(), m[1]);
    EXPECT_EQ(control->width(), m[2]);
    EXPECT_EQ(control->height(), m[3]);
  }
  control->move(150, 300, 4500, 3000);
  control->setLeft(1001);
  control->setHeight(1499);
  EXPECT_EQ(control->left(), 1001);
  EXPECT_EQ(control->top(), 300);
  EXPECT_EQ(control->width(), 4500);
  EXPECT_EQ(control->height(), 1499);

  const std::function<void()> refused[] = {
      [&] { control->setWidth(-1); },
      [&] { control->setHeight(-15); },
      [&] { control->move(0, 0, -1, 10); },
      [&] { control->move(0, 0, 10, -1); },
  };
  for (const auto& call : refused) {
    try {
      call();
      ADD_FAILURE() << "no failure";
    } catch (const platform::RunTimeError& error) {
      EXPECT_EQ(error.number(), 5);
    }
    EXPECT_EQ(control->left(), 1001);
    EXPECT_EQ(control->width(), 4500);
  }
  control->setVisible(false);
  EXPECT_FALSE(control->visible());
}

}  // namespace
