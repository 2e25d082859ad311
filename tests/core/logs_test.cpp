#include "core/logs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

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

// The log stays open between lines; whatever happens to its file outside, the next line is in
// the file the log's name then names.
TEST(Logs, TheNextLineFindsTheFileChangedFromOutside) {
  struct Row {
    const char* name;
    std::function<void(const std::filesystem::path&)> change;
    std::string expected;
  } rows[] = {
      {.name = "untouched", .change = [](const auto&) {}, .expected = "one|two|"},
      {.name = "deleted",
       .change = [](const auto& log) { std::filesystem::remove(log); },
       .expected = "two|"},
      {.name = "emptied",
       .change = [](const auto& log) { std::ofstream(log, std::ios::trunc); },
       .expected = "two|"},
      {.name = "moved away and replaced",
       .change =
           [](const auto& log) {
             std::filesystem::rename(log, log.string() + ".old");
             std::ofstream(log) << "12/06/26 23:05:09 a newer line\r\n";
           },
       .expected = "a newer line|two|"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    fake::Harness h;
    h.program.settings.DebugMode = true;
    const auto log = h.platform.folder / "quorel.log";
    AddStatus(h.program, "one");
    r.change(log);
    AddStatus(h.program, "two");
    std::string lines;
    for (const std::string& line : h.platform.logLines("quorel.log")) lines += line + "|";
    EXPECT_EQ(lines, r.expected);
  }
}

TEST(Logs, AnUnwritableFolderDropsTheLine) {
  fake::Harness h;
  std::filesystem::create_directory(h.platform.folder / "quorel.log");  // not a file
  EXPECT_NO_THROW(AddStatus(h.program, "lost"));
}

}  // namespace
