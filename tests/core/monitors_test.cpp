#include "core/monitors.h"

#include <gtest/gtest.h>

#include "support/fake_platform.h"

namespace {

using MonitorList = std::vector<platform::Monitor>;

std::vector<std::string> Described(const MonitorList& monitors) {
  std::vector<std::string> out;
  for (const auto& m : monitors)
    out.push_back(std::to_string(m.left) + "," + std::to_string(m.top) + " " +
                  std::to_string(m.width) + "x" + std::to_string(m.height) +
                  (m.primary ? " primary" : ""));
  return out;
}

// The monitors the desktop reports, each place once: a mirror is one monitor (primary if
// either copy is), a monitor with no area none; with none left, the whole screen is one.
TEST(Monitors, EachPlaceCountsOnce) {
  const struct {
    const char* name;
    MonitorList reported;
    std::vector<std::string> kept;
  } rows[] = {
      {.name = "one", .reported = {{0, 0, 100, 80, true}}, .kept = {"0,0 100x80 primary"}},
      {.name = "a mirror, primary in its second copy",
       .reported = {{0, 0, 100, 80, false}, {0, 0, 100, 80, true}},
       .kept = {"0,0 100x80 primary"}},
      {.name = "same corner, other width",
       .reported = {{0, 0, 100, 80, true}, {0, 0, 120, 80, false}},
       .kept = {"0,0 100x80 primary", "0,0 120x80"}},
      {.name = "same corner, other height",
       .reported = {{0, 0, 100, 80, true}, {0, 0, 100, 90, false}},
       .kept = {"0,0 100x80 primary", "0,0 100x90"}},
      {.name = "side by side",
       .reported = {{0, 0, 100, 80, true}, {100, 0, 100, 80, false}},
       .kept = {"0,0 100x80 primary", "100,0 100x80"}},
      {.name = "no width",
       .reported = {{0, 0, 100, 80, true}, {100, 0, 0, 80, false}},
       .kept = {"0,0 100x80 primary"}},
      {.name = "one twip wide",
       .reported = {{0, 0, 100, 80, true}, {100, 0, 1, 80, false}},
       .kept = {"0,0 100x80 primary", "100,0 1x80"}},
      {.name = "none with an area: the whole screen, primary",
       .reported = {{100, 0, 0, 80, false}},
       .kept = {"0,0 100x80 primary"}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    fake::FakeScreen screen;
    screen.monitors_ = r.reported;
    EXPECT_EQ(Described(Monitors(screen)), r.kept);
  }
}

}  // namespace
