#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "dialogs/message_window.h"
#include "dialogs/options_dialog.h"
#include "support/harness.h"

namespace {

using platform::OptionsCheck;
using platform::OptionsList;
using std::chrono::milliseconds;
using std::chrono::seconds;

struct Options : fake::Harness {
  fake::FakeOptionsView& view = platform.options;
  fake::FakeSettingsStore& store = platform.store;
  OptionsDialog& dialog = *program.options;

  // The dialog as the user sees it.
  struct Shown {
    std::string minSize, maxSize;  // the chosen entries; "": none chosen
    std::array<int, 6> boxes;      // adult, debug, auto-save, movies, sounds, documents
    std::string path;
    bool pathEnabled, pathButtonEnabled;
    bool operator==(const Shown&) const = default;
  };
  Shown shown() const {
    Shown s{.minSize = entryChosen(OptionsList::MinImageSize),
            .maxSize = entryChosen(OptionsList::MaxImageSize),
            .boxes = {},
            .path = view.pathText(),
            .pathEnabled = view.pathEnabled(),
            .pathButtonEnabled = view.pathButtonEnabled()};
    for (std::size_t i = 0; i < kBoxes.size(); ++i) s.boxes[i] = view.checkValue(kBoxes[i]);
    return s;
  }
  std::string entryChosen(OptionsList list) const {
    return view.listEntry(list, view.listIndex(list));
  }
  static constexpr std::array kBoxes = {OptionsCheck::AdultMode,    OptionsCheck::DebugMode,
                                        OptionsCheck::AutoSaveMode, OptionsCheck::Movies,
                                        OptionsCheck::Sounds,       OptionsCheck::Docs};
};

std::ostream& operator<<(std::ostream& out, const Options::Shown& s) {
  out << s.minSize << " " << s.maxSize << " ";
  for (const int box : s.boxes) out << box;
  return out << " " << s.path << (s.pathEnabled ? " on" : " off")
             << (s.pathButtonEnabled ? " on" : " off");
}

using Writes = std::vector<std::pair<std::string, std::string>>;

// An empty store: the defaults are shown, and OK writes them all, in the dialog's order.
TEST(OptionsDialog, AnEmptyStoreShowsTheDefaultsAndOkWritesThem) {
  Options h;
  h.dialog.Load();
  EXPECT_EQ(h.view.title(), "Options");
  const std::string pictures = h.platform.picturesFolder();
  EXPECT_EQ(h.shown(), (Options::Shown{.minSize = "100x100",
                                       .maxSize = "800x600",
                                       .boxes = {0, 0, 0, 0, 0, 0},
                                       .path = pictures,
                                       .pathEnabled = false,
                                       .pathButtonEnabled = false}));
  EXPECT_FALSE(h.view.checkVisible.at(OptionsCheck::DebugMode));
  for (const auto list : {OptionsList::MinImageSize, OptionsList::MaxImageSize}) {
    ASSERT_EQ(h.view.listCount(list), 11);
    EXPECT_EQ(h.view.listEntry(list, 0), "48x48");
    EXPECT_EQ(h.view.listEntry(list, 10), "Unlimited");
  }
  h.view.events.okClick();
  EXPECT_EQ(h.store.writes, (Writes{{"MinImageSize", "100x100"},
                                    {"MaxImageSize", "800x600"},
                                    {"AdultMode", "0"},
                                    {"DebugMode", "0"},
                                    {"AutosaveMode", "0"},
                                    {"AutosavePath", pictures},
                                    {"AllowMovies", "0"},
                                    {"AllowSounds", "0"},
                                    {"AllowDocs", "0"}}));
  const Settings& s = h.program.settings;
  EXPECT_EQ(s.MinImageWidth, 100);
  EXPECT_EQ(s.MinImageHeight, 100);
  EXPECT_EQ(s.MaxImageWidth, 800);
  EXPECT_EQ(s.MaxImageHeight, 600);
  EXPECT_EQ(s.AutosavePath, pictures);
  EXPECT_EQ(h.view.closes, 1);
  EXPECT_FALSE(h.dialog.IsLoaded());
}

// Stored values are shown; a size the list does not hold chooses no entry, and OK then writes
// no size for it and the program keeps its own; any number other than 0 is a ticked box.
TEST(OptionsDialog, StoredValuesAreShownAndOkWritesWhatTheDialogShows) {
  Options h;
  h.store.values = {
      {"MinImageSize", "48x48"}, {"MaxImageSize", "unlimited"}, {"AdultMode", "1"},
      {"DebugMode", "1"},        {"AutosaveMode", "1"},         {"AutosavePath", "/u/pics"},
      {"AllowMovies", "1"},      {"AllowSounds", "0"},          {"AllowDocs", "7"}};
  h.program.settings.MaxImageWidth = h.program.settings.MaxImageHeight = 5;
  h.dialog.Load();
  EXPECT_EQ(h.shown(), (Options::Shown{.minSize = "48x48",
                                       .maxSize = "",
                                       .boxes = {1, 1, 1, 1, 0, 1},
                                       .path = "/u/pics",
                                       .pathEnabled = true,
                                       .pathButtonEnabled = true}));
  h.view.events.okClick();
  EXPECT_EQ(h.store.writes, (Writes{{"MinImageSize", "48x48"},
                                    {"AdultMode", "1"},
                                    {"DebugMode", "1"},
                                    {"AutosaveMode", "1"},
                                    {"AutosavePath", "/u/pics"},
                                    {"AllowMovies", "1"},
                                    {"AllowSounds", "0"},
                                    {"AllowDocs", "1"}}));
  const Settings& s = h.program.settings;
  EXPECT_EQ(s.MinImageWidth, 48);
  EXPECT_EQ(s.MinImageHeight, 48);
  EXPECT_EQ(s.MaxImageWidth, 5);
  EXPECT_EQ(s.MaxImageHeight, 5);
  EXPECT_TRUE(s.AdultMode);
  EXPECT_TRUE(s.DebugMode);
  EXPECT_TRUE(s.AutosaveMode);
  EXPECT_TRUE(s.AllowMovies);
  EXPECT_FALSE(s.AllowSounds);
  EXPECT_TRUE(s.AllowDocs);
  EXPECT_EQ(s.AutosavePath, "/u/pics");
}

// Ticking the auto-save box opens the folder box and its button; unticking closes both.
TEST(OptionsDialog, TheAutoSaveBoxSwitchesTheFolderChoice) {
  Options h;
  h.dialog.Load();
  for (const bool ticked : {true, false}) {
    SCOPED_TRACE(ticked ? "ticked" : "unticked");
    h.view.setCheckValue(OptionsCheck::AutoSaveMode, ticked ? 1 : 0);
    h.view.events.autoSaveClick();
    EXPECT_EQ(h.view.pathEnabled(), ticked);
    EXPECT_EQ(h.view.pathButtonEnabled(), ticked);
  }
}

// However the dialog closed (here by its window frame), the next opening reads the store
// again. Cancel writing nothing is proven on the real widgets (OptionsViewTest).
TEST(OptionsDialog, EachOpeningReadsTheStoreAgain) {
  Options h;
  h.dialog.ShowModal();
  EXPECT_FALSE(h.dialog.IsLoaded());
  h.store.values["AdultMode"] = "1";
  h.dialog.ShowModal();
  EXPECT_EQ(h.view.checkValue(OptionsCheck::AdultMode), 1);
}

// Centred on the screen (halves to even), sized to the text with margins around it.
TEST(MessageWindow, ShowsTheNoticeCentredAndSizedToIt) {
  struct Row {
    const char* name;
    std::string text;
    std::array<int, 4> box;  // the window's left, top, width and height
  } rows[] = {
      {.name = "a short notice", .text = "File saved as x.jpg", .box = {6075, 5288, 3210, 945}},
      {.name = "wider than the screen",
       .text = std::string(300, 'w'),
       .box = {-15000, 5288, 45360, 945}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    fake::Harness h;
    auto& view = h.platform.message;
    ShowMessage(h.program, r.text);
    EXPECT_TRUE(view.shown);
    EXPECT_EQ(view.text, r.text);
    EXPECT_EQ(view.textLeft, 60);
    EXPECT_EQ(view.textTop, 60);
    EXPECT_EQ((std::array{view.left, view.top, view.width, view.height}), r.box);
  }
}

// Both dialogs are centred on the primary monitor (the largest when none is marked); opened
// from the logo menu the options sit 600 twips in from the primary monitor's bottom-left corner.
// A fresh load wears the dialog's own title, whatever the window kept from before.
TEST(Dialogs, SitOnThePrimaryMonitor) {
  const platform::Monitor left{0, 0, 19200, 15360, false};
  const platform::Monitor rightLower{19200, 3000, 28800, 16200, false};
  struct Row {
    const char* name;
    bool rightPrimary;
    bool fromLogoMenu;                    // opened under the logo menu's own title
    bool titleLeftOver = false;           // the unloaded window still wears the menu's title
    std::array<int, 2> options, message;  // left, top
  } rows[] = {
      {.name = "right one marked primary",
       .rightPrimary = true,
       .fromLogoMenu = false,
       .options = {30952, 9045},
       .message = {31995, 10628}},
      {.name = "none marked: the larger",
       .rightPrimary = false,
       .fromLogoMenu = false,
       .options = {30952, 9045},
       .message = {31995, 10628}},
      {.name = "from the logo menu",
       .rightPrimary = true,
       .fromLogoMenu = true,
       .options = {19800, 14490},
       .message = {31995, 10628}},
      {.name = "the menu's title left over, loaded afresh",
       .rightPrimary = true,
       .fromLogoMenu = false,
       .titleLeftOver = true,
       .options = {30952, 9045},
       .message = {31995, 10628}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Options h;
    auto second = rightLower;
    second.primary = r.rightPrimary;
    h.platform.screen_.monitors_ = {left, second};
    h.window().move(0, 0, 48000, 19200);
    if (r.titleLeftOver) h.view.setTitle("config");
    if (r.fromLogoMenu) h.dialog.SetTitle("config");
    h.dialog.PlaceOptions();
    EXPECT_EQ((std::array{h.view.left, h.view.top}), r.options);
    ShowMessage(h.program, "File saved as x.jpg");
    EXPECT_EQ((std::array{h.platform.message.left, h.platform.message.top}), r.message);
  }
}

// Five seconds after it loaded it closes; a second notice does not extend it, and a window
// loaded at start-up (two seconds before) closes three seconds into its first notice.
TEST(MessageWindow, ClosesFiveSecondsAfterItLoaded) {
  struct Row {
    const char* name;
    bool loadedBefore = false;
    std::optional<int> secondNotice = std::nullopt;  // seconds after the first
    int closesAt;                                    // seconds after the first notice
  } rows[] = {
      {.name = "one notice", .closesAt = 5},
      {.name = "a second notice three seconds later", .secondNotice = 3, .closesAt = 5},
      {.name = "loaded two seconds before", .loadedBefore = true, .closesAt = 3},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    fake::Harness h;
    auto& view = h.platform.message;
    if (r.loadedBefore) {
      h.program.message->Load();
      EXPECT_FALSE(view.shown);
      h.platform.advanceSeconds(2);
    }
    ShowMessage(h.program, "first");
    EXPECT_EQ(view.frontCalls, 1);
    const int elapsed = r.secondNotice.value_or(0);
    if (r.secondNotice) {
      h.platform.advanceSeconds(*r.secondNotice);
      ShowMessage(h.program, "second");
      EXPECT_EQ(view.text, "second");
    }
    h.platform.advance(seconds(r.closesAt - elapsed) - milliseconds(1));
    EXPECT_TRUE(view.shown);
    h.platform.advance(milliseconds(1));
    EXPECT_FALSE(view.shown);
    EXPECT_FALSE(h.program.message->IsLoaded());
    EXPECT_FALSE(view.timer.enabled());
    // Closed, the next notice loads it afresh, for five seconds more.
    h.platform.advanceSeconds(60);
    ShowMessage(h.program, "later");
    EXPECT_EQ(view.frontCalls, 2);
    h.platform.advance(milliseconds(4999));
    EXPECT_TRUE(view.shown);
    h.platform.advance(milliseconds(1));
    EXPECT_FALSE(view.shown);
    EXPECT_EQ(view.timer.fired, 2);
  }
}

}  // namespace
