#include "app/startup.h"

#include <gtest/gtest.h>

#include "dialogs/message_window.h"
#include "dialogs/options_dialog.h"
#include "support/harness.h"

namespace {

// How a start ended: the slideshow runs, or the program ended with a status.
enum class Way { Slideshow, Ended };

TEST(Startup, SwitchesAreTheFirstTwoCharactersFoldedToLowerCase) {
  const std::pair<const char*, Way> cases[] = {
      {"", Way::Slideshow},         {"/s", Way::Slideshow},  {"/S", Way::Slideshow},
      {"anything", Way::Slideshow}, {" /p", Way::Slideshow}, {"/", Way::Slideshow},
      {"/p", Way::Ended},           {"/P", Way::Ended},      {"/p 1234", Way::Ended},
      {"/P:123", Way::Ended},       {"/c", Way::Ended},      {"/C:4567", Way::Ended},
  };
  for (const auto& [line, way] : cases) {
    fake::Harness h;
    const auto status = Startup(h.program, line);
    EXPECT_EQ(status.has_value() ? Way::Ended : Way::Slideshow, way) << '"' << line << '"';
    if (status) {
      EXPECT_EQ(*status, 0);
    }
    // Only the slideshow creates the main window.
    EXPECT_EQ(h.platform.mainWindowCreated(), way == Way::Slideshow) << line;
    EXPECT_EQ(h.platform.random_.seeds, 1) << line;
  }
}

TEST(Startup, ASecondCopyIsRefusedWhateverItsArguments) {
  for (const char* line : {"", "/p", "/c", "/s"}) {
    fake::Harness h;
    h.platform.otherInstance = true;
    EXPECT_EQ(Startup(h.program, line), 0) << line;
    ASSERT_EQ(h.platform.dialogs_.messageBoxes.size(), 1u) << line;
    EXPECT_EQ(h.platform.dialogs_.messageBoxes[0].text, "Quorel is already running.");
    EXPECT_EQ(h.platform.dialogs_.messageBoxes[0].title, "Whoa");
    EXPECT_FALSE(h.platform.mainWindowCreated());
    EXPECT_EQ(h.platform.options.modalShows, 0);
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
