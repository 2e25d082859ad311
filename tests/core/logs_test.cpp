#include "core/logs.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/startup.h"
#include "support/harness.h"

namespace {

TEST(Logs, LineLayoutAndTheTraceAroundEachStatusLine) {
  fake::Harness h;
  h.program.settings.DebugMode = false;
  AddStatus(h.program, "before");  // nothing written
  h.program.settings.DebugMode = true;
  h.platform.clock_.set(2026, 12, 6, 23, 5, 9);
  AddStatus(h.program, "[NavError] 404");
  h.platform.clock_.set(2000, 2, 29, 0, 0, 0);
  AddStatus(h.program, "");              // an empty text still writes its timestamp
  AddStatus(h.program, "two\r\nlines");  // written unchanged
  AddTrace(h.program, "x");
  EXPECT_EQ(h.platform.readLog("quorel.log"),
            "12/06/26 23:05:09 [NavError] 404\r\n"
            "02/29/00 00:00:00 \r\n"
            "02/29/00 00:00:00 two\r\nlines\r\n");
  EXPECT_EQ(h.trace(),
            (std::vector<std::string>{"AddStatus IN", "AddStatus OUT", "AddStatus IN",
                                      "AddStatus OUT", "AddStatus IN", "AddStatus OUT", "x"}));
}

// A whole run, start-up and a minute of crawling, leaves no file behind with DebugMode off.
TEST(Logs, NoFileAnywhereInARunWithDebugModeOff) {
  fake::Harness h;
  Startup(h.program, "");
  h.platform.advanceSeconds(60);
  EXPECT_TRUE(std::filesystem::is_empty(h.platform.folder));
}

TEST(Logs, AnUnwritableFolderDropsTheLine) {
  fake::Harness h;
  std::filesystem::create_directory(h.platform.folder / "quorel.log");  // not a file
  EXPECT_NO_THROW(AddStatus(h.program, "lost"));
}

}  // namespace
