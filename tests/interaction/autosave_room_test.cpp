#include "interaction/autosave_room.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "app/image_form.h"
#include "support/harness.h"

namespace {

constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;
constexpr std::uint64_t kGiB = kMiB << 10;

// Auto-save of display pages while the disk fills up and empties again.
TEST(AutosaveHasRoom, StopsWhenTheDiskIsNearlyFullAndGoesOnOnceThereIsRoom) {
  fake::Harness h;
  h.debug();
  BindFormEvents(h.program);
  const auto folder = h.platform.folder / "saved";
  std::filesystem::create_directories(folder);
  h.program.settings.AutosaveMode = true;
  h.program.settings.AutosavePath = folder.string();
  h.window().move(0, 0, 1024 * 15, 768 * 15);

  struct Step {
    std::optional<platform::DiskSpace> disk;
    bool saved;
    const char* line;  // the autosave line written, if any
  };
  const Step steps[] = {
      {platform::DiskSpace{2 * kGiB, 10 * kGiB}, true, nullptr},
      {platform::DiskSpace{kGiB - 1, 10 * kGiB}, false,
       "[Autosave] stopped, the disk is nearly full: 1023 MiB free"},
      {platform::DiskSpace{900 * kMiB, 10 * kGiB}, false, nullptr},
      {platform::DiskSpace{4 * kGiB, 100 * kGiB}, false, nullptr},  // under 5 %
      {platform::DiskSpace{5 * kGiB, 100 * kGiB}, true, "[Autosave] resumed, 5120 MiB free"},
      {platform::DiskSpace{kGiB, 10 * kGiB}, true, nullptr},
      {std::nullopt, true, nullptr},  // cannot be told: the save reports what goes wrong
  };
  int k = 0;
  for (const Step& step : steps) {
    SCOPED_TRACE(k);
    h.platform.files.disk = step.disk;
    const std::size_t before = h.platform.files.saved.size();
    const std::string url = "http://site.test/" + std::to_string(k) + ".jpg";
    auto doc = std::make_shared<fake::FakeDocument>();
    doc->withUrl(url).withHtml("<BODY><IMG src=\"" + url + "\"></BODY>").withImage(url, 200, 100);
    h.platform.transfer_.replies[url] = {true, "JPEG", {}};
    const auto statusBefore = h.status().size();
    h.browser(k++).complete(doc, url);

    EXPECT_EQ(h.platform.files.saved.size(), before + (step.saved ? 1 : 0));
    std::vector<std::string> autosave;
    for (std::size_t i = statusBefore; i < h.status().size(); ++i)
      if (h.status()[i].rfind("[Autosave]", 0) == 0) autosave.push_back(h.status()[i]);
    EXPECT_EQ(autosave,
              step.line ? std::vector<std::string>{step.line} : std::vector<std::string>{});
  }
}

}  // namespace
