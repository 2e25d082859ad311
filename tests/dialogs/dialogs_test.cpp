#include <gtest/gtest.h>

#include <array>
#include <tuple>

#include "core/vb_text.h"
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

  // The dialog as the user sees it: chosen sizes, the six boxes, the path and its two controls.
  std::string state() {
    std::string text;
    for (const auto list : {OptionsList::MinImageSize, OptionsList::MaxImageSize})
      text += view.listEntry(list, view.listIndex(list)) + " ";
    for (const auto box :
         {OptionsCheck::AdultMode, OptionsCheck::DebugMode, OptionsCheck::AutoSaveMode,
          OptionsCheck::Movies, OptionsCheck::Sounds, OptionsCheck::Docs})
      text += std::to_string(view.checkValue(box));
    return text + " " + view.pathText() + (view.pathEnabled() ? " on" : " off") +
           (view.pathButtonEnabled() ? " on" : " off");
  }
  // The store's writes as "key=text|...".
  std::string writes() {
    std::string text;
    for (const auto& [key, value] : store.writes)
      text += (text.empty() ? "" : "|") + key + "=" + value;
    return text;
  }
};

// Loads from the store, then OK writes what the dialog shows (a list with no entry chosen
// writes nothing), in the dialog's order.
TEST(OptionsDialog, LoadsTheStoreAndOkWritesItBack) {
  struct Row {
    const char* stored;
    const char* shown;
    const char* written;
    const char* settings;  // the program's after OK: sizes, the six flags, the path
  } rows[] = {
      {"", "100x100 800x600 000000 P off off",
       "MinImageSize=100x100|MaxImageSize=800x600|AdultMode=0|DebugMode=0|AutosaveMode=0|"
       "AutosavePath=P|AllowMovies=0|AllowSounds=0|AllowDocs=0",
       "100x100 800x600 000000 P"},
      {"MinImageSize=48x48|MaxImageSize=unlimited|AdultMode=1|DebugMode=1|AutosaveMode=1|"
       "AutosavePath=/u/pics|AllowMovies=1|AllowSounds=0|AllowDocs=7",
       "48x48  111101 /u/pics on on",
       "MinImageSize=48x48|AdultMode=1|DebugMode=1|AutosaveMode=1|AutosavePath=/u/pics|"
       "AllowMovies=1|AllowSounds=0|AllowDocs=1",
       "48x48 5x5 111101 /u/pics"},
  };
  for (const Row& r : rows) {
    Options h;
    for (const auto& pair : fake::Split(r.stored)) {
      const auto equals = pair.find('=');
      h.store.values[pair.substr(0, equals)] = pair.substr(equals + 1);
    }
    h.program.settings.MaxImageWidth = h.program.settings.MaxImageHeight = 5;
    h.dialog.Load();
    EXPECT_EQ(h.state(), vb::Replace(r.shown, " P ", " " + h.platform.picturesFolder() + " "));
    EXPECT_FALSE(h.view.checkVisible.at(OptionsCheck::DebugMode));
    for (const auto list : {OptionsList::MinImageSize, OptionsList::MaxImageSize}) {
      ASSERT_EQ(h.view.listCount(list), 11);
      EXPECT_EQ(h.view.listEntry(list, 0), "48x48");
      EXPECT_EQ(h.view.listEntry(list, 10), "Unlimited");
    }
    h.view.events.okClick();
    EXPECT_EQ(h.writes(), vb::Replace(r.written, "=P|", "=" + h.platform.picturesFolder() + "|"));
    const Settings& s = h.program.settings;
    const auto size = [](int w, int ht) { return std::to_string(w) + "x" + std::to_string(ht); };
    std::string flags;
    for (const bool on :
         {s.AdultMode, s.DebugMode, s.AutosaveMode, s.AllowMovies, s.AllowSounds, s.AllowDocs})
      flags += on ? "1" : "0";
    EXPECT_EQ(size(s.MinImageWidth, s.MinImageHeight) + " " +
                  size(s.MaxImageWidth, s.MaxImageHeight) + " " + flags + " " + s.AutosavePath,
              vb::Replace(r.settings, " P", " " + h.platform.picturesFolder()));
    EXPECT_EQ(h.view.closes, 1);
    EXPECT_FALSE(h.dialog.IsLoaded());
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
  fake::Harness h;
  auto& view = h.platform.message;
  // The text, then the window's left, top, width and height.
  const std::pair<std::string, std::array<int, 4>> rows[] = {
      {"File saved as x.jpg", {6075, 5288, 3210, 945}},
      {std::string(300, 'w'), {-15000, 5288, 45360, 945}}};  // wider than the design size
  for (const auto& [text, box] : rows) {
    ShowMessage(h.program, text);
    EXPECT_TRUE(view.shown);
    EXPECT_EQ(view.text, text);
    EXPECT_EQ(std::make_pair(view.textLeft, view.textTop), std::make_pair(60, 60));
    EXPECT_EQ((std::array{view.left, view.top, view.width, view.height}), box);
  }
}

// Both dialogs are centred on the primary monitor (the largest when none is marked); opened
// from the logo menu the options sit 600 twips in from the primary monitor's bottom-left corner.
TEST(Dialogs, SitOnThePrimaryMonitor) {
  const platform::Monitor left{0, 0, 19200, 15360, false};
  const platform::Monitor rightLower{19200, 3000, 28800, 16200, false};
  struct Row {
    const char* name;
    bool rightPrimary;
    std::string title;
    std::array<int, 2> options, message;  // left, top
  } rows[] = {
      {.name = "right one marked primary",
       .rightPrimary = true,
       .title = "",
       .options = {30952, 9045},
       .message = {31995, 10628}},
      {.name = "none marked: the larger",
       .rightPrimary = false,
       .title = "",
       .options = {30952, 9045},
       .message = {31995, 10628}},
      {.name = "from the logo menu",
       .rightPrimary = true,
       .title = "config",
       .options = {19800, 14490},
       .message = {31995, 10628}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Options h;
    auto second = rightLower;
    second.primary = r.rightPrimary;
    h.platform.screen_.monitors_ = {left, second};
    h.window().move(0, 0, 48000, 19200);
    if (!r.title.empty()) h.dialog.SetTitle(r.title.c_str());
    h.dialog.PlaceOptions();
    EXPECT_EQ((std::array{h.view.left, h.view.top}), r.options);
    ShowMessage(h.program, "File saved as x.jpg");
    EXPECT_EQ((std::array{h.platform.message.left, h.platform.message.top}), r.message);
  }
}

// Five seconds after it loaded it closes; a second notice does not extend it, and a window
// loaded at start-up (two seconds before) closes three seconds into its first notice.
TEST(MessageWindow, ClosesFiveSecondsAfterItLoaded) {
  // Loaded before; the second notice and the close, in seconds after the first (-1: none).
  const std::tuple<bool, int, int> rows[] = {{false, -1, 5}, {false, 3, 5}, {true, -1, 3}};
  for (const auto& [loadedBefore, secondNotice, closesAt] : rows) {
    fake::Harness h;
    auto& view = h.platform.message;
    if (loadedBefore) {
      h.program.message->Load();
      EXPECT_FALSE(view.shown);
      h.platform.advanceSeconds(2);
    }
    ShowMessage(h.program, "first");
    EXPECT_EQ(view.frontCalls, 1);
    const int elapsed = std::max(secondNotice, 0);
    if (secondNotice >= 0) {
      h.platform.advanceSeconds(secondNotice);
      ShowMessage(h.program, "second");
      EXPECT_EQ(view.text, "second");
    }
    h.platform.advance(seconds(closesAt - elapsed) - milliseconds(1));
    EXPECT_TRUE(view.shown) << closesAt;
    h.platform.advance(milliseconds(1));
    EXPECT_FALSE(view.shown) << closesAt;
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
