#include "interaction/autosave_room.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "support/harness.h"

namespace {

// Auto-save of display pages while the disk fills up and empties again: it stops under 1 GiB
// or 5 % free, and goes on once both are back; a disk that cannot be told is saved to.
TEST(AutosaveHasRoom, StopsWhenTheDiskIsNearlyFullAndGoesOnOnceThereIsRoom) {
  fake::Wired h;
  h.program.settings.AutosaveMode = true;
  h.program.settings.AutosavePath = h.platform.folder.string();
  h.window().move(0, 0, 1024 * 15, 768 * 15);
  constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;
  struct Step {
    std::uint64_t freeMiB, totalMiB;  // total 0: cannot be told
    bool saved;
    const char* line;  // the autosave line written, "" for none
  } steps[] = {
      {2048, 10240, true, ""},
      {1023, 10240, false, "[Autosave] stopped, the disk is nearly full: 1023 MiB free"},
      {900, 10240, false, ""},
      {4096, 102400, false, ""},
      {5120, 102400, true, "[Autosave] resumed, 5120 MiB free"},
      {1024, 10240, true, ""},
      {0, 0, true, ""},
  };
  int k = 0, lines = 0;
  for (const Step& step : steps) {
    SCOPED_TRACE(k);
    h.platform.files.disk =
        step.totalMiB
            ? std::optional(platform::DiskSpace{step.freeMiB * kMiB, step.totalMiB * kMiB})
            : std::nullopt;
    const std::size_t before = h.platform.files.saved.size();
    const std::string url = "http://site.test/" + std::to_string(k) + ".jpg";
    auto doc = std::make_shared<fake::FakeDocument>();
    doc->withUrl(url).withHtml("<BODY><IMG src=\"" + url + "\"></BODY>").withImage(url, 200, 100);
    h.platform.transfer_.replies[url] = {true, "JPEG", {}};
    h.browser(k++).complete(doc, url);
    EXPECT_EQ(h.platform.files.saved.size(), before + (step.saved ? 1 : 0));
    EXPECT_EQ(h.countLogged("[Autosave]"), lines += *step.line ? 1 : 0);
    EXPECT_TRUE(!*step.line || h.logged(step.line));
  }
}

}  // namespace
