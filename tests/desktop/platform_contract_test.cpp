// The platform's promises, held to the fake platform the logic tests run on and to the Qt
// implementation alike: a logic test on the fake then means what it says about the program.
// Qt timers wait for real (short waits, only the order of events is asserted).
#include <gmock/gmock.h>

#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <array>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "desktop/qt_screen.h"
#include "desktop/qt_settings_store.h"
#include "desktop/qt_timer.h"
#include "desktop/twips_control.h"
#include "platform/run_time_error.h"
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
};

using Sides = ::testing::Types<FakeSide, QtSide>;
TYPED_TEST_SUITE(Contract, Sides);

// Timers used one-shot, as the logic uses them (each disables itself when it fires), driven by
// a script: "a+" enables a, "a-" disables it, "a100" sets its interval, "w60" waits 60 ms.
TYPED_TEST(Contract, TimerDeadlinesFollowEnablingAndIntervals) {
  const struct {
    const char* script;
    const char* fired;
  } cases[] = {
      // Arming an armed timer keeps its deadline (else b would come first).
      {"a- a100 a+ w60 a+ b- b80 b+ w200", "ab"},
      // Setting the interval restarts an enabled timer (enabled as made: armed at once).
      {"a100 w60 a100 b80 w200", "ba"},
      // An interval of zero, or disabled, never fires.
      {"o- o10 z0 n40 w150", "n"},
  };
  for (const auto& c : cases) {
    std::map<char, std::unique_ptr<platform::Timer>> timers;
    std::string fired;
    std::istringstream steps(c.script);
    for (std::string step; steps >> step;) {
      if (step[0] == 'w') {
        this->side.wait(std::stoi(step.substr(1)));
        continue;
      }
      std::unique_ptr<platform::Timer>& timer = timers[step[0]];
      if (!timer) {
        timer = this->side.timer();
        timer->setOnTimer([&fired, raw = timer.get(), name = step[0]] {
          fired += name;
          raw->setEnabled(false);
        });
      }
      if (step[1] == '+' || step[1] == '-')
        timer->setEnabled(step[1] == '+');
      else
        timer->setInterval(std::stoi(step.substr(1)));
    }
    EXPECT_EQ(fired, c.fired) << c.script;
  }
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
}

TYPED_TEST(Contract, SettingsComeBackAsWritten) {
  auto store = this->side.store();
  EXPECT_EQ(store->read("MinImageSize", "100x100"), "100x100");
  const std::pair<std::string, std::string> values[] = {
      {"MinImageSize", "48x48"},                        // written over
      {"AutosavePath", "/home/u/Pictures, saved;x=1"},  // commas and semicolons stay text
      {"Unicode", "Bilder \xC3\xBC\xE2\x82\xAC"},
      {"Leading", "@at sign and \"quotes\""},
      {"Empty", ""},
  };
  store->write("MinImageSize", "100x100");
  for (const auto& [key, text] : values) store->write(key, text);
  for (const auto& [key, text] : values) EXPECT_EQ(store->read(key, "default"), text) << key;
  EXPECT_EQ(store->read("Missing", "default"), "default");
}

TYPED_TEST(Contract, ControlsKeepTheirTwipsAndRefuseNegativeSizes) {
  auto control = this->side.control();
  const auto twips = [&] {
    return std::array{control->left(), control->top(), control->width(), control->height()};
  };
  for (const auto& m : {std::array{0, 0, 9000, 1500}, {-30, 11535, 3007, 22}, {7, 8, 0, 0}}) {
    control->move(m[0], m[1], m[2], m[3]);
    EXPECT_EQ(twips(), m);
  }
  control->move(150, 300, 4500, 3000);
  control->setLeft(1001);
  control->setHeight(1499);
  EXPECT_EQ(twips(), (std::array{1001, 300, 4500, 1499}));
  const std::function<void()> refused[] = {
      [&] { control->setWidth(-1); },
      [&] { control->setHeight(-15); },
      [&] { control->move(0, 0, -1, 10); },
      [&] { control->move(0, 0, 10, -1); },
  };
  for (const auto& call : refused) {
    EXPECT_THAT(call, testing::Throws<platform::RunTimeError>(
                          testing::Property(&platform::RunTimeError::number, 5)));
    EXPECT_EQ(twips(), (std::array{1001, 300, 4500, 1499}));
  }
}

}  // namespace
