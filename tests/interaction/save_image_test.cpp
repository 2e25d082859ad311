#include "interaction/save_image.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/harness.h"
#include "support/read_file.h"

namespace {

namespace fs = std::filesystem;

using fake::readFile;

std::vector<std::string> filesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    names.push_back(fs::relative(entry.path(), folder).generic_string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(SavedImageName, StampsTheTimeAndKeepsTheTail) {
  fake::FakeClock clock;
  clock.set(2004, 1, 3, 14, 25, 1);
  const std::pair<std::string, std::string> cases[] = {
      {"http://h/photo.jpg", "20040103-142501.jpg"},
      {"http://h/a/b/anim.gif", "20040103-142501.gif"},
      {"http://h/pic.php?id=3", "20040103-142501.php?id=3"},
      {"http://h/noext", "20040103-142501"},
      {"http://h/a.b/noext", "20040103-142501"},    // the dot is in a folder, not the file
      {"http://h/a.b/../../x", "20040103-142501"},  // no way out of the folder
      {"http://h/get?f=..%2F..%2Fx.jpg", "20040103-142501.jpg"},
      {"http://h/get.php?f=a/b.png", "20040103-142501.png"},
      {"http://h/x.jp\\..\\..\\g", "20040103-142501"},      // backslashes are separators too
      {"http://h/x.j\tp\x01g\x7F", "20040103-142501.jpg"},  // control bytes dropped
      {"http://h/trail.", "20040103-142501."},
      {"http://h/x." + std::string(300, 'q'), "20040103-142501." + std::string(199, 'q')},
      {"http://h/x." + std::string(198, 'q') + "\xC3\xA9\xC3\xA9",
       "20040103-142501." + std::string(198, 'q')},
  };
  for (const auto& [address, name] : cases)
    EXPECT_EQ(SavedImageName(clock.now(), address), name) << address;

  clock.set(1999, 12, 31, 9, 5, 7);
  EXPECT_EQ(SavedImageName(clock.now(), "http://h/x.PNG"), "19991231-090507.PNG");
}

struct SaveImageTest : ::testing::Test {
  fake::Harness h;
  fake::FakeDocument doc;
  fs::path folder;

  void SetUp() override {
    h.debug();
    folder = h.platform.folder / "saved";
    fs::create_directories(folder);
    h.program.settings.AutosavePath = folder.string();
  }
  void image(const std::string& url, std::string bytes) {
    doc.withImage(url, 20, 20);
    h.platform.transfer_.replies[url] = {true, std::move(bytes), {}};
  }
  const std::vector<fake::MessageBoxCall>& boxes() { return h.platform.dialogs_.messageBoxes; }
};

TEST_F(SaveImageTest, WithoutAFolderOnlyAsksForOne) {
  h.program.settings.AutosavePath = "";
  image("http://h/a.jpg", "A");
  SaveImage(h.program, doc);
  SaveImage(h.program, doc);
  ASSERT_EQ(boxes().size(), 2u);
  EXPECT_EQ(boxes()[0].text, "You have to set your auto-save path before you can capture images.");
  EXPECT_EQ(boxes()[0].title, "Whoa");
  EXPECT_TRUE(h.platform.transfer_.fetches.empty());
}

TEST_F(SaveImageTest, SavesEveryImageUnderAFreeName) {
  image("http://h/a.jpg", std::string("JPEG\0bytes", 10));
  image("http://h/b.jpg", "second");
  image("http://h/c.gif", "GIF89a");
  std::ofstream(folder / "20040103-142501.jpg") << "older";  // an earlier save in the same second

  SaveImage(h.program, doc);

  EXPECT_EQ(filesIn(folder),
            (std::vector<std::string>{"20040103-142501-1.jpg", "20040103-142501-2.jpg",
                                      "20040103-142501.gif", "20040103-142501.jpg"}));
  EXPECT_EQ(readFile(folder / "20040103-142501.jpg"), "older");
  EXPECT_EQ(readFile(folder / "20040103-142501-1.jpg"), std::string("JPEG\0bytes", 10));
  EXPECT_EQ(readFile(folder / "20040103-142501-2.jpg"), "second");
  EXPECT_EQ(readFile(folder / "20040103-142501.gif"), "GIF89a");
  EXPECT_EQ(h.platform.transfer_.cancels, 3);
  const std::string f = folder.string();
  EXPECT_EQ(h.status(),
            (std::vector<std::string>{
                "[Fetching] http://h/a.jpg", "[Saving] " + f + "/20040103-142501-1.jpg",
                "[Fetching] http://h/b.jpg", "[Saving] " + f + "/20040103-142501-2.jpg",
                "[Fetching] http://h/c.gif", "[Saving] " + f + "/20040103-142501.gif"}));
  EXPECT_TRUE(boxes().empty());
}

TEST_F(SaveImageTest, ConfirmsEachSaveOnlyWhenNotAutoSaving) {
  for (const bool autosave : {false, true}) {
    SCOPED_TRACE(autosave);
    fake::Harness fresh;
    fresh.program.settings.AutosavePath = fresh.platform.folder.string();
    fresh.program.settings.AutosaveMode = autosave;
    fake::FakeDocument page;
    page.withImage("http://h/a.png", 1, 1);
    fresh.platform.transfer_.replies["http://h/a.png"] = {true, "PNG", {}};
    SaveImage(fresh.program, page);
    EXPECT_EQ(fresh.platform.message.shown, !autosave);
    if (!autosave) {
      EXPECT_EQ(fresh.platform.message.text, "File saved as 20040103-142501.png");
    }
  }
}

TEST_F(SaveImageTest, NeverWritesOutsideTheFolder) {
  image("http://h/a.b/../../x", "one");
  image("http://h/q?f=../../../etc/x.jpg", "two");
  SaveImage(h.program, doc);
  EXPECT_EQ(filesIn(h.platform.folder / "saved"),
            (std::vector<std::string>{"20040103-142501", "20040103-142501.jpg"}));
  EXPECT_EQ(filesIn(h.platform.folder),
            (std::vector<std::string>{"function.log", "quorel.log", "saved",
                                      "saved/20040103-142501", "saved/20040103-142501.jpg"}));
}

TEST_F(SaveImageTest, AFailedWriteStopsThePageWithABox) {
  image("http://h/a.jpg", "A");
  image("http://h/b.jpg", "B");
  h.platform.files.failWith = {61, "Disk full"};
  SaveImage(h.program, doc);
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text, "Cannot save 20040103-142501.jpg: 61, Disk full");
  EXPECT_EQ(boxes()[0].title, "Quorel");
  EXPECT_EQ(h.platform.transfer_.fetches.size(), 1u);
  EXPECT_TRUE(filesIn(folder).empty());
  EXPECT_FALSE(h.platform.message.shown) << "no \"File saved as\" for a file that was not saved";
}

TEST_F(SaveImageTest, ANameTakenJustBeforeTheMoveMovesOn) {
  image("http://h/a.jpg", "A");
  // Another program takes each name the saver found free, the first time or every time.
  for (const bool always : {false, true}) {
    SCOPED_TRACE(always);
    fs::remove_all(folder);
    fs::create_directories(folder);
    int planted = 0;
    h.platform.files.beforeSave = [&](const fs::path& path) {
      if (always || planted == 0) std::ofstream(path) << "theirs" << planted++;
    };
    SaveImage(h.program, doc);
    EXPECT_EQ(readFile(folder / "20040103-142501.jpg"), "theirs0");
    if (!always) {
      EXPECT_EQ(readFile(folder / "20040103-142501-1.jpg"), "A");
      EXPECT_TRUE(boxes().empty());
    } else {
      ASSERT_EQ(boxes().size(), 1u);
      EXPECT_EQ(boxes()[0].text, "Cannot save 20040103-142501-100.jpg: 58, File already exists");
      EXPECT_EQ(planted, 101);
    }
  }
}

TEST_F(SaveImageTest, AMissingFolderIsAWriteFailure) {
  h.program.settings.AutosavePath = (h.platform.folder / "gone").string();
  image("http://h/a.jpg", "A");
  SaveImage(h.program, doc);
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text.rfind("Cannot save 20040103-142501.jpg: ", 0), 0u) << boxes()[0].text;
}

TEST_F(SaveImageTest, AFailedFetchEndsThePageQuietly) {
  doc.withImage("http://h/unreachable.jpg", 20, 20);
  image("http://h/b.jpg", "B");
  SaveImage(h.program, doc);
  EXPECT_TRUE(boxes().empty());
  EXPECT_TRUE(filesIn(folder).empty());
  EXPECT_EQ(h.status(), (std::vector<std::string>{"[Fetching] http://h/unreachable.jpg",
                                                  "[Fetching] failed: no reply"}));
}

TEST_F(SaveImageTest, APageReplacedWhileFetchingStillSavesWhatWasClicked) {
  image("http://h/a.jpg", "A");
  image("http://h/b.jpg", "B");
  // The fetch lets events run; the browser gets a new, image-less page meanwhile.
  struct ReplacingTransfer : fake::FakeTransfer {
    fake::FakeDocument* doc = nullptr;
    platform::TransferResult fetch(const std::string& url) override {
      doc->images_.clear();
      return FakeTransfer::fetch(url);
    }
  };
  ReplacingTransfer transfer;
  transfer.doc = &doc;
  transfer.replies = h.platform.transfer_.replies;
  struct Platform : fake::FakePlatform {
    platform::ImageTransfer* replacement = nullptr;
    platform::ImageTransfer& transfer() override { return *replacement; }
  };
  Platform p;
  p.replacement = &transfer;
  Program program(p);
  program.settings.AutosavePath = p.folder.string();
  program.settings.AutosaveMode = true;
  SaveImage(program, doc);
  EXPECT_EQ(p.files.saved.size(), 2u);
}

}  // namespace
