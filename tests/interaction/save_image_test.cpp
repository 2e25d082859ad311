#include "interaction/save_image.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <tuple>

#include "app/vb_text.h"
#include "interaction/autosave_room.h"
#include "support/harness.h"
#include "support/read_file.h"

namespace {

using Lines = std::vector<std::string>;
using fake::readFile;

namespace fs = std::filesystem;

TEST(SavedImageName, StampsTheTimeAndKeepsTheTail) {
  fake::FakeClock clock;
  clock.set(2004, 1, 3, 14, 25, 1);
  const std::pair<std::string, std::string> cases[] = {
      {"http://h/photo.jpg", ".jpg"},
      {"http://h/pic.php?id=3", ".php?id=3"},
      {"http://h/a.b/noext", ""},    // the dot is in a folder, not the file
      {"http://h/a.b/../../x", ""},  // no way out of the folder
      {"http://h/get?f=..%2F..%2Fx.jpg", ".jpg"},
      {"http://h/x.jp\\..\\..\\g", ""},      // backslashes are separators too
      {"http://h/x.j\tp\x01g\x7F", ".jpg"},  // control bytes dropped
      {"http://h/trail.", "."},
      {"http://h/x." + std::string(300, 'q'), "." + std::string(199, 'q')},
      {"http://h/x." + std::string(198, 'q') + "\xC3\xA9\xC3\xA9", "." + std::string(198, 'q')},
  };
  for (const auto& [address, tail] : cases)
    EXPECT_EQ(SavedImageName(clock.now(), address), "20040103-142501" + tail) << address;
  clock.set(1999, 12, 31, 9, 5, 7);
  EXPECT_EQ(SavedImageName(clock.now(), "http://h/x.PNG"), "19991231-090507.PNG");
}

TEST(SaveImage, FetchesEveryImageAndSavesItUnderAFreeName) {
  // The folder under the program folder ("" for none set); images as "address=bytes" under
  // http://h/ (no bytes: the fetch fails); saving by hand (each save confirmed); the save
  // failure; files saved and status lines "|"-separated, "@" for the time stamp and "$" for the
  // folder; the message box.
  using Row =
      std::tuple<const char*, const char*, bool, int, const char*, const char*, const char*>;
  const Row rows[] = {
      {"", "a.jpg=A", false, 0, "", "",
       "You have to set your auto-save path before you can capture images."},
      {"saved", "a.jpg=A|b.jpg=B|c.gif=C", false, 0, "@-1.jpg|@-2.jpg|@.gif",
       "[Fetching] http://h/a.jpg|[Saving] $/@-1.jpg|[Fetching] http://h/b.jpg|[Saving] $/@-2.jpg|"
       "[Fetching] http://h/c.gif|[Saving] $/@.gif",
       ""},
      {"saved", "a.png=P", true, 0, "@.png", "", ""},
      {"saved", "a.png=A|b.jpg=B", true, 61, "", "[Fetching] http://h/a.png|[Saving] $/@.png",
       "Cannot save @.png: 61, Disk full"},
      {"saved", "x.jpg=|b.jpg=B", false, 0, "",
       "[Fetching] http://h/x.jpg|[Fetching] failed: no reply", ""},
  };
  for (const auto& [folder, images, byHand, failWith, files, status, box] : rows) {
    SCOPED_TRACE(images);
    fake::Harness h;
    const fs::path saved = h.platform.folder / "saved";
    fs::create_directories(saved);
    std::ofstream(saved / "20040103-142501.jpg") << "older";  // saved earlier in the same second
    if (*folder) h.program.settings.AutosavePath = (h.platform.folder / folder).string();
    h.program.settings.AutosaveMode = !byHand;
    h.platform.files.failWith = {failWith, "Disk full"};
    fake::FakeDocument doc;
    for (const auto& image : fake::Split(images)) {
      const auto equals = image.rfind('=');
      doc.withImage("http://h/" + image.substr(0, equals), 20, 20);
      if (equals + 1 < image.size())
        h.platform.transfer_.replies["http://h/" + image.substr(0, equals)] = {
            true, image.substr(equals + 1), {}};
    }
    SaveImage(h.program, doc);

    const auto expand = [&](const std::string& text) {
      return vb::Replace(vb::Replace(text, "@", "20040103-142501"), "$", saved.string());
    };
    Lines paths;  // in the order saved
    for (const auto& file : fake::Split(files)) paths.push_back(expand("$/" + file));
    EXPECT_EQ(h.platform.files.saved, paths);
    EXPECT_EQ(readFile(saved / "20040103-142501.jpg"), "older");
    if (*status) {
      EXPECT_EQ(h.status(), fake::Split(expand(status)));
    }
    using Boxes = std::vector<fake::MessageBoxCall>;
    const Boxes boxes = {{expand(box), *folder ? "Quorel" : "Whoa"}};
    EXPECT_EQ(h.platform.dialogs_.messageBoxes, *box ? boxes : Boxes{});
    const bool confirmed = byHand && !*box;
    EXPECT_EQ(h.platform.message.shown, confirmed);
    EXPECT_EQ(h.platform.message.text, confirmed ? expand("File saved as @.png") : "");
    EXPECT_EQ(h.platform.transfer_.cancels, static_cast<int>(h.platform.transfer_.fetches.size()));
  }
}

// Another program takes each name the saver found free, just before the move: the saver moves
// on to the next name, a hundred times at most.
TEST(SaveImage, ANameTakenJustBeforeTheMoveMovesOn) {
  fake::Harness h;
  h.program.settings.AutosavePath = h.platform.folder.string();
  h.program.settings.AutosaveMode = true;
  fake::FakeDocument doc;
  doc.withImage("http://h/a.jpg", 20, 20);
  h.platform.transfer_.replies["http://h/a.jpg"] = {true, "A", {}};
  int planted = 0;
  h.platform.files.beforeSave = [&](const fs::path& path) {
    std::ofstream(path) << "theirs" << planted++;
  };
  SaveImage(h.program, doc);
  EXPECT_EQ(readFile(h.platform.folder / "20040103-142501.jpg"), "theirs0");
  EXPECT_EQ(readFile(h.platform.folder / "20040103-142501-1.jpg"), "theirs1");
  EXPECT_EQ(planted, 101);
  EXPECT_EQ(h.platform.dialogs_.messageBoxes,
            (std::vector<fake::MessageBoxCall>{
                {"Cannot save 20040103-142501-100.jpg: 58, File already exists", "Quorel"}}));
}

// Auto-save of display pages while the disk fills up and empties again: it stops under 1 GiB
// or 5 % free, and goes on once both are back; a disk that cannot be told is saved to.
TEST(AutosaveHasRoom, StopsWhenTheDiskIsNearlyFullAndGoesOnOnceThereIsRoom) {
  fake::Wired h;
  h.program.settings.AutosaveMode = true;
  h.program.settings.AutosavePath = h.platform.folder.string();
  constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;
  // Free and total MiB (total 0: cannot be told), saved, the autosave line written ("" for none).
  const std::tuple<std::uint64_t, std::uint64_t, bool, std::string> steps[] = {
      {2048, 10240, true, ""},
      {1023, 10240, false, "[Autosave] stopped, the disk is nearly full: 1023 MiB free"},
      {900, 10240, false, ""},
      {4096, 102400, false, ""},
      {5120, 102400, true, "[Autosave] resumed, 5120 MiB free"},
      {1024, 10240, true, ""},
      {0, 0, true, ""},
  };
  int k = 0, lines = 0;
  for (const auto& [freeMiB, totalMiB, saves, line] : steps) {
    SCOPED_TRACE(k);
    h.platform.files.disk =
        totalMiB ? std::optional(platform::DiskSpace{freeMiB * kMiB, totalMiB * kMiB})
                 : std::nullopt;
    const std::size_t before = h.platform.files.saved.size();
    const std::string url = "http://site.test/" + std::to_string(k) + ".jpg";
    auto doc = std::make_shared<fake::FakeDocument>();
    doc->withUrl(url).withHtml("<BODY><IMG src=\"" + url + "\"></BODY>").withImage(url, 200, 100);
    h.platform.transfer_.replies[url] = {true, "JPEG", {}};
    h.browser(k++).complete(doc, url);
    EXPECT_EQ(h.platform.files.saved.size(), before + (saves ? 1 : 0));
    if (!line.empty()) ++lines;
    EXPECT_EQ(h.countLogged("[Autosave]"), lines);
    EXPECT_TRUE(line.empty() || h.logged(line));
  }
}

}  // namespace
