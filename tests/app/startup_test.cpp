#include "app/startup.h"

#include <gtest/gtest.h>

#include <optional>
#include <tuple>

#include "dialogs/message_window.h"
#include "dialogs/options_dialog.h"
#include "support/harness.h"

namespace {

// Only the slideshow creates the main window; the switch is the first two characters
// folded to lower case. A second copy is refused whatever its arguments.
TEST(Startup, SwitchesAndASecondCopy) {
  const std::tuple<const char*, bool, bool> rows[] = {
      {"", false, true},         {"/s", false, true},  {"/S", false, true},
      {"anything", false, true}, {" /p", false, true}, {"/", false, true},
      {"/p", false, false},      {"/P", false, false}, {"/p 1234", false, false},
      {"/P:123", false, false},  {"/c", false, false}, {"/C:4567", false, false},
      {"", true, false},         {"/p", true, false},  {"/c", true, false}};
  for (const auto& [line, another, slideshow] : rows) {
    SCOPED_TRACE(std::string(line) + (another ? ", another running" : ""));
    fake::Harness h;
    h.platform.otherInstance = another;
    const auto status = Startup(h.program, line);
    EXPECT_EQ(status, slideshow ? std::nullopt : std::optional(0));
    EXPECT_EQ(h.platform.mainWindowCreated(), slideshow);
    EXPECT_EQ(h.platform.random_.seeds, 1);
    using Boxes = std::vector<fake::MessageBoxCall>;
    const Boxes refusal = {{"Quorel is already running.", "Whoa"}};
    EXPECT_EQ(h.platform.dialogs_.messageBoxes, another ? refusal : Boxes{});
    const std::string head = std::string(line).substr(0, 2);  // "/c" shows the options alone
    const bool options = !another && (head == "/c" || head == "/C");
    EXPECT_EQ(h.platform.options.modalShows, options ? 1 : 0);
    EXPECT_EQ(h.platform.options.left, options ? (1024 * 15 - 5295) / 2 : 0);  // centred
  }
}

TEST(Startup, RecordsTheStartTimeAndShowsTheWindow) {
  fake::Harness h;
  h.program.menuOpen = h.program.navPending = true;
  h.platform.clock_.set(2026, 12, 6, 9, 0, 0);
  EXPECT_FALSE(Startup(h.program, "").has_value());
  EXPECT_EQ(h.program.startTime, h.platform.clock_.now());
  EXPECT_EQ(h.program.lastActivity, h.platform.clock_.now());
  EXPECT_FALSE(h.program.menuOpen);
  EXPECT_TRUE(h.window().shown);
  // Both dialogs are loaded, and neither is shown.
  EXPECT_TRUE(h.program.options->IsLoaded());
  EXPECT_TRUE(h.program.message->IsLoaded());
  EXPECT_EQ(h.platform.options.modalShows, 0);
}

}  // namespace
