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
#include <string>
#include <vector>

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

// One step of a timer script: a timer (named by a letter) enabled, disabled or given an
// interval, or a wait.
struct TimerStep {
  enum class Kind { Enable, Disable, Interval, Wait } kind;
  char timer = 0;
  int ms = 0;
};
TimerStep Enable(char timer) { return {TimerStep::Kind::Enable, timer}; }
TimerStep Disable(char timer) { return {TimerStep::Kind::Disable, timer}; }
TimerStep Interval(char timer, int ms) { return {TimerStep::Kind::Interval, timer, ms}; }
TimerStep Wait(int ms) { return {TimerStep::Kind::Wait, 0, ms}; }

// Timers used one-shot, as the logic uses them (each disables itself when it fires).
TYPED_TEST(Contract, TimerDeadlinesFollowEnablingAndIntervals) {
  struct Row {
    const char* name;
    std::vector<TimerStep> steps;
    std::string fired;  // the timers, in the order they fired
  };
  const Row rows[] = {
      {.name = "arming an armed timer keeps its deadline (else b would come first)",
       .steps = {Disable('a'), Interval('a', 100), Enable('a'), Wait(60), Enable('a'), Disable('b'),
                 Interval('b', 80), Enable('b'), Wait(200)},
       .fired = "ab"},
      {.name = "setting the interval restarts an enabled timer (enabled as made)",
       .steps = {Interval('a', 100), Wait(60), Interval('a', 100), Interval('b', 80), Wait(200)},
       .fired = "ba"},
      {.name = "an interval of zero, or disabled, never fires",
       .steps = {Disable('o'), Interval('o', 10), Interval('z', 0), Interval('n', 40), Wait(150)},
       .fired = "n"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    std::map<char, std::unique_ptr<platform::Timer>> timers;
    std::string fired;
    for (const TimerStep& step : r.steps) {
      if (step.kind == TimerStep::Kind::Wait) {
        this->side.wait(step.ms);
        continue;
      }
      std::unique_ptr<platform::Timer>& timer = timers[step.timer];
      if (!timer) {
        timer = this->side.timer();
        timer->setOnTimer([&fired, raw = timer.get(), name = step.timer] {
          fired += name;
          raw->setEnabled(false);
        });
      }
      if (step.kind == TimerStep::Kind::Interval)
        timer->setInterval(step.ms);
      else
        timer->setEnabled(step.kind == TimerStep::Kind::Enable);
    }
    EXPECT_EQ(fired, r.fired);
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
