#include "app/logs.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/startup.h"
#include "support/harness.h"

namespace {

// A whole run, start-up and a minute of crawling, leaves no file behind with DebugMode off.
TEST(Logs, NoFileAnywhereInARunWithDebugModeOff) {
  fake::Harness h;
  Startup(h.program, "");
  h.platform.advanceSeconds(60);
  AddTrace(h.program, "GetImage IN");
  std::filesystem::create_directories(h.platform.folder);
  EXPECT_TRUE(std::filesystem::is_empty(h.platform.folder));
}

TEST(Logs, LineLayoutAndTheTraceAroundEachStatusLine) {
  fake::Harness h;
  h.debug();
  h.platform.clock_.set(2004, 1, 3, 14, 25, 1);
  AddStatus(h.program, "[NavError] 404");
  AddStatus(h.program, "");              // an empty text still writes its timestamp
  AddStatus(h.program, "two\r\nlines");  // written unchanged
  EXPECT_EQ(h.platform.readLog("quorel.log"),
            "01/03/04 14:25:01 [NavError] 404\r\n"
            "01/03/04 14:25:01 \r\n"
            "01/03/04 14:25:01 two\r\nlines\r\n");
  const auto lines = h.trace();
  ASSERT_EQ(lines.size(), 6u);
  for (std::size_t i = 0; i < lines.size(); ++i)
    EXPECT_EQ(lines[i], i % 2 ? "AddStatus OUT" : "AddStatus IN");
}

TEST(Logs, TimestampUsesTwoDigitFieldsAndTheTwentyFourHourClock) {
  fake::FakeClock clock;
  const std::pair<std::array<int, 6>, const char*> cases[] = {
      {{2026, 12, 6, 23, 5, 9}, "12/06/26 23:05:09 "},
      {{2000, 2, 29, 0, 0, 0}, "02/29/00 00:00:00 "},
  };
  for (const auto& [t, text] : cases) {
    clock.set(t[0], t[1], t[2], t[3], t[4], t[5]);
    EXPECT_EQ(LogTimestamp(clock.now()), text);
  }
}

TEST(Logs, SwitchingDebugModeTakesEffectWithTheNextLine) {
  fake::Harness h;
  AddStatus(h.program, "before");
  h.debug();
  AddStatus(h.program, "during");
  h.program.settings.DebugMode = false;
  AddStatus(h.program, "after");
  EXPECT_EQ(h.status(), std::vector<std::string>{"during"});
}

TEST(Logs, AnUnwritableFolderDropsTheLine) {
  fake::Harness h;
  h.debug();
  std::filesystem::create_directory(h.platform.folder /
                                    "quorel.log");  // cannot be opened as a file
  EXPECT_NO_THROW(AddStatus(h.program, "lost"));
}

}  // namespace
