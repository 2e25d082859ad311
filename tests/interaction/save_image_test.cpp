#include "interaction/save_image.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "support/harness.h"
#include "support/read_file.h"

namespace {

using Lines = std::vector<std::string>;
using fake::readFile;

namespace fs = std::filesystem;

constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;

TEST(SavedImageName, StampsTheTimeAndEndsAsTheBytesAre) {
  struct Row {
    const char* name;
    std::string address;
    const char* format;  // as the bytes tell it; "" when unknown
    std::string ending;
  };
  const Row rows[] = {
      {.name = "the address names the format",
       .address = "http://h/photo.jpg",
       .format = "jpeg",
       .ending = ".jpg"},
      {.name = "another of its endings, any case",
       .address = "http://h/x.JPEG",
       .format = "jpeg",
       .ending = ".JPEG"},
      {
          .name = "a page's ending",
          .address = "http://h/x.html",
          .format = "png",
          .ending = ".png",
      },
      {.name = "a launcher's ending",
       .address = "http://h/x.desktop",
       .format = "gif",
       .ending = ".gif"},
      {.name = "another picture format's ending",
       .address = "http://h/x.png",
       .format = "jpeg",
       .ending = ".jpg"},
      {.name = "a query tail",
       .address = "http://h/pic.php?id=3",
       .format = "webp",
       .ending = ".webp"},
      {
          .name = "no ending",
          .address = "http://h/a.b/noext",
          .format = "bmp",
          .ending = ".bmp",
      },
      {.name = "an ending hidden in the query",
       .address = "http://h/get?f=..%2F..%2Fx.ico",
       .format = "ico",
       .ending = ".ico"},
      {.name = "backslashes are separators",
       .address = "http://h/x.jp\\..\\..\\g",
       .format = "jpeg",
       .ending = ".jpg"},
      {.name = "unknown bytes keep a picture ending",
       .address = "http://h/x.Gif",
       .format = "",
       .ending = ".Gif"},
      {.name = "unknown bytes drop any other",
       .address = "http://h/x.desktop",
       .format = "",
       .ending = ""},
  };
  fake::FakeClock clock;
  clock.set(2004, 1, 3, 14, 25, 1);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(SavedImageName(clock.now(), row.address, row.format), "20040103-142501" + row.ending);
  }
  clock.set(1999, 12, 31, 9, 5, 7);
  EXPECT_EQ(SavedImageName(clock.now(), "http://h/x.png", "png"), "19991231-090507.png");
}

// A picture served at http://h/NAME.
struct Served {
  std::string name;
  std::string bytes;  // none: the fetch fails
  std::string format = "jpeg";
};

// The fake clock's second, as saved names begin.
const std::string kStamp = "20040103-142501";

// The folder pictures are saved into, one for each test program run.
std::string SavingFolder() {
  return (fs::temp_directory_path() / ("quorel-saving-" + std::to_string(::getpid()))).string();
}

// A program saving into a folder that already holds a picture saved earlier in the same second.
struct Saving : fake::Harness {
  fs::path folder = SavingFolder();
  explicit Saving(bool byHand = false) {
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::ofstream(folder / (kStamp + ".jpg")) << "older";
    program.settings.AutosavePath = folder.string();
    program.settings.AutosaveMode = !byHand;
  }
  ~Saving() {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }
  void save(const std::vector<Served>& pictures, SaveBy by, const std::string& page = {}) {
    fake::FakeDocument doc;
    for (const Served& picture : pictures) {
      const std::string address = "http://h/" + picture.name;
      doc.withImage(address, 20, 20);
      if (!picture.bytes.empty())
        platform.transfer_.replies[address] = {true, picture.bytes, {}, picture.format};
    }
    SaveImage(program, doc, by, page);
  }
};

TEST(SaveImage, FetchesEachPictureOfThePageAndSavesItUnderAFreeName) {
  const std::string in = SavingFolder() + "/" + kStamp;  // a saved file's path, up to its tail
  struct Row {
    const char* name;
    std::vector<Served> pictures;
    bool byHand = false;  // each save confirmed
    bool noFolder = false;
    int failWith = 0;  // every save fails with this number
    Lines files;       // in the order saved
    Lines status;
    std::optional<fake::MessageBoxCall> box = std::nullopt;
    std::string confirmation = "";  // the notice after a save by hand
  };
  const Row rows[] = {
      {.name = "no folder set",
       .pictures = {{"a.jpg", "A"}},
       .noFolder = true,
       .files = {},
       .status = {},
       .box = {{"You have to set your auto-save path before you can capture images.", "Whoa"}}},
      {.name = "every picture, past the taken names",
       .pictures = {{"a.jpg", "A"}, {"b.jpg", "B"}, {"c.gif", "C", "gif"}},
       .files = {in + "-1.jpg", in + "-2.jpg", in + ".gif"},
       .status = {"[Fetching] http://h/a.jpg", "[Saving] " + in + "-1.jpg",
                  "[Fetching] http://h/b.jpg", "[Saving] " + in + "-2.jpg",
                  "[Fetching] http://h/c.gif", "[Saving] " + in + ".gif"}},
      {.name = "by hand",
       .pictures = {{"a.png", "P", "png"}},
       .byHand = true,
       .files = {in + ".png"},
       .status = {"[Fetching] http://h/a.png", "[Saving] " + in + ".png"},
       .confirmation = "File saved as " + kStamp + ".png"},
      {.name = "named for its bytes, not its address",
       .pictures = {{"a.html", "P", "png"}},
       .byHand = true,
       .files = {in + ".png"},
       .status = {"[Fetching] http://h/a.html", "[Saving] " + in + ".png"},
       .confirmation = "File saved as " + kStamp + ".png"},
      {.name = "a failed save ends the page",
       .pictures = {{"a.png", "A", "png"}, {"b.jpg", "B"}},
       .byHand = true,
       .failWith = 61,
       .files = {},
       .status = {"[Fetching] http://h/a.png", "[Saving] " + in + ".png"},
       .box = {{"Cannot save " + kStamp + ".png: 61, Disk full", "Quorel"}}},
      {.name = "a failed fetch ends the page",
       .pictures = {{"x.jpg", ""}, {"b.jpg", "B"}},
       .files = {},
       .status = {"[Fetching] http://h/x.jpg", "[Fetching] failed: no reply"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Saving h(row.byHand);
    if (row.noFolder) h.program.settings.AutosavePath.clear();
    h.platform.files.failWith = {row.failWith, "Disk full"};
    h.save(row.pictures, SaveBy::User);

    EXPECT_EQ(h.platform.files.saved, row.files);
    EXPECT_EQ(readFile(h.folder / (kStamp + ".jpg")), "older");
    EXPECT_EQ(h.status(), row.status);
    using Boxes = std::vector<fake::MessageBoxCall>;
    EXPECT_EQ(h.platform.dialogs_.messageBoxes, row.box ? Boxes{*row.box} : Boxes{});
    EXPECT_EQ(h.platform.message.shown, !row.confirmation.empty());
    EXPECT_EQ(h.platform.message.text, row.confirmation);
    EXPECT_EQ(h.platform.transfer_.cancels, static_cast<int>(h.platform.transfer_.fetches.size()));
  }
}

// However many pictures a page holds, it puts at most 20 files or 64 MiB into the folder.
TEST(SaveImage, APageSavesABoundedShare) {
  struct Row {
    const char* name;
    int pictures;
    std::size_t mebibytes;  // each
    std::size_t saved;
    Lines limit = {};  // the limit's status line
  };
  const Row rows[] = {
      {
          .name = "twenty small ones",
          .pictures = 20,
          .mebibytes = 0,
          .saved = 20,
      },
      {.name = "the twenty-first",
       .pictures = 25,
       .mebibytes = 0,
       .saved = 20,
       .limit = {"[SaveLimit] the rest of this page is not saved: 20 saved, 0 MiB"}},
      {
          .name = "64 MiB exactly",
          .pictures = 2,
          .mebibytes = 32,
          .saved = 2,
      },
      {.name = "past 64 MiB",
       .pictures = 3,
       .mebibytes = 30,
       .saved = 2,
       .limit = {"[SaveLimit] the rest of this page is not saved: 2 saved, 60 MiB"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Saving h;
    std::vector<Served> pictures;
    const std::string bytes(std::max<std::size_t>(1, row.mebibytes * kMiB), 'J');
    for (int i = 0; i < row.pictures; ++i) pictures.push_back({std::to_string(i) + ".jpg", bytes});
    h.save(pictures, SaveBy::Autosave);
    EXPECT_EQ(h.platform.files.saved.size(), row.saved);
    EXPECT_EQ(h.tagged("[SaveLimit]"), row.limit);
  }
}

// Each file carries the picture's address, and the page it was shown from when that is a web
// page; a file system that cannot keep them gets the picture all the same, and one line.
TEST(SaveImage, KeepsWhereEachPictureCameFrom) {
  struct Row {
    const char* name;
    std::string page;
    bool keepsOrigins = true;
    std::string referrer = {};
    Lines originLines = {};
  };
  const Row rows[] = {
      {.name = "a web page",
       .page = "http://site.test/gallery.html",
       .referrer = "http://site.test/gallery.html"},
      {.name = "https, in capitals",
       .page = "HTTPS://site.test/",
       .referrer = "HTTPS://site.test/"},
      {.name = "no page known", .page = ""},
      {.name = "not a web page", .page = "about:blank"},
      {.name = "a file system without extended attributes",
       .page = "http://site.test/",
       .keepsOrigins = false,
       .referrer = "http://site.test/",
       .originLines = {"[SaveOrigin] not kept with " + kStamp +
                       ".png: the folder's file system refuses extended attributes"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Saving h;
    h.platform.files.keepsOrigins = row.keepsOrigins;
    h.save({{"a.png", "P", "png"}}, SaveBy::Autosave, row.page);
    ASSERT_EQ(h.platform.files.origins.size(), 1u);
    EXPECT_EQ(h.platform.files.origins[0].url, "http://h/a.png");
    EXPECT_EQ(h.platform.files.origins[0].referrer, row.referrer);
    EXPECT_EQ(h.tagged("[SaveOrigin]"), row.originLines);
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
  h.platform.transfer_.replies["http://h/a.jpg"] = {true, "A", {}, "jpeg"};
  int planted = 0;
  h.platform.files.beforeSave = [&](const fs::path& path) {
    std::ofstream(path) << "theirs" << planted++;
  };
  SaveImage(h.program, doc, SaveBy::User, {});
  EXPECT_EQ(readFile(h.platform.folder / "20040103-142501.jpg"), "theirs0");
  EXPECT_EQ(readFile(h.platform.folder / "20040103-142501-1.jpg"), "theirs1");
  EXPECT_EQ(planted, 101);
  EXPECT_EQ(h.platform.dialogs_.messageBoxes,
            (std::vector<fake::MessageBoxCall>{
                {"Cannot save 20040103-142501-100.jpg: 58, File already exists", "Quorel"}}));
}

// Auto-save of display pages while the disk fills up and empties again, one page after the
// other: a file is saved when 1 GiB stays free after it (5 % of a disk under 20 GiB), checked
// before every file (nothing more is fetched once the disk is full); a disk whose space cannot
// be told is saved to.
TEST(AutosaveHasRoom, SavesWhileThereIsRoomAfterEachFile) {
  struct Step {
    const char* name;
    std::uint64_t freeMiB, totalMiB;  // total 0: cannot be told
    int pictures = 1;                 // of 1 MiB each
    std::size_t fetched;              // pictures fetched for it
    std::size_t saved;
    Lines autosave = {};  // the auto-save lines this page wrote
  };
  const Step steps[] = {
      {
          .name = "2 GiB free",
          .freeMiB = 2048,
          .totalMiB = 40960,
          .fetched = 1,
          .saved = 1,
      },
      {
          .name = "1 GiB after the file",
          .freeMiB = 1025,
          .totalMiB = 40960,
          .fetched = 1,
          .saved = 1,
      },
      {.name = "less after the file",
       .freeMiB = 1024,
       .totalMiB = 40960,
       .fetched = 1,
       .saved = 0,
       .autosave = {"[Autosave] stopped, the disk is nearly full: 1024 MiB free"}},
      {
          .name = "still too little",
          .freeMiB = 900,
          .totalMiB = 40960,
          .fetched = 0,
          .saved = 0,
      },
      {.name = "150 GB free of 4 TB",
       .freeMiB = 143051,
       .totalMiB = 3814697,
       .fetched = 1,
       .saved = 1,
       .autosave = {"[Autosave] resumed, 143051 MiB free"}},
      {.name = "a page that would cross the line",
       .freeMiB = 1027,
       .totalMiB = 40960,
       .pictures = 5,
       .fetched = 4,
       .saved = 3,
       .autosave = {"[Autosave] stopped, the disk is nearly full: 1024 MiB free"}},
      {.name = "over 5 % of a small disk",
       .freeMiB = 300,
       .totalMiB = 4096,
       .fetched = 1,
       .saved = 1,
       .autosave = {"[Autosave] resumed, 300 MiB free"}},
      {.name = "under 5 % of a small disk",
       .freeMiB = 200,
       .totalMiB = 4096,
       .fetched = 0,
       .saved = 0,
       .autosave = {"[Autosave] stopped, the disk is nearly full: 200 MiB free"}},
      {
          .name = "cannot be told",
          .freeMiB = 0,
          .totalMiB = 0,
          .fetched = 1,
          .saved = 1,
      },
  };
  fake::Wired h;
  h.program.settings.AutosaveMode = true;
  h.program.settings.AutosavePath = h.platform.folder.string();
  int k = 0;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    h.platform.files.disk =
        step.totalMiB
            ? std::optional(platform::DiskSpace{step.freeMiB * kMiB, step.totalMiB * kMiB})
            : std::nullopt;
    const std::size_t before = h.platform.files.saved.size();
    const std::size_t linesBefore = h.tagged("[Autosave]").size();
    const std::size_t fetchedBefore = h.platform.transfer_.fetches.size();
    const std::string url = "http://site.test/" + std::to_string(k) + ".jpg";
    auto doc = std::make_shared<fake::FakeDocument>();
    doc->withUrl(url).withHtml("<BODY><IMG src=\"" + url + "\"></BODY>");
    for (int i = 0; i < step.pictures; ++i) {
      const std::string picture = url + "?" + std::to_string(i);
      doc->withImage(picture, 200, 100);
      h.platform.transfer_.replies[picture] = {true, std::string(kMiB, 'J'), {}, "jpeg"};
    }
    h.browser(k++ % 10).complete(doc, url);
    EXPECT_EQ(h.platform.transfer_.fetches.size(), fetchedBefore + step.fetched);
    EXPECT_EQ(h.platform.files.saved.size(), before + step.saved);
    const Lines lines = h.tagged("[Autosave]");
    EXPECT_EQ(Lines(lines.begin() + static_cast<std::ptrdiff_t>(linesBefore), lines.end()),
              step.autosave);
  }
}

}  // namespace
