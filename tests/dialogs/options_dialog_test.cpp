#include "dialogs/options_dialog.h"

#include <gtest/gtest.h>

#include "app/startup.h"
#include "support/harness.h"

namespace {

using platform::OptionsCheck;
using platform::OptionsList;

struct OptionsDialogTest : ::testing::Test {
  fake::Harness h;
  fake::FakeOptionsView& view = h.platform.options;
  fake::FakeSettingsStore& store = h.platform.store;
  OptionsDialog& dialog = *h.program.options;

  std::string chosen(OptionsList list) { return view.listEntry(list, view.listIndex(list)); }
};

TEST_F(OptionsDialogTest, LoadsItsDefaultsFromAnEmptyStore) {
  dialog.Load();
  EXPECT_EQ(view.title(), "Options");
  for (const auto list : {OptionsList::MinImageSize, OptionsList::MaxImageSize}) {
    ASSERT_EQ(view.listCount(list), 11);
    EXPECT_EQ(view.listEntry(list, 0), "48x48");
    EXPECT_EQ(view.listEntry(list, 10), "Unlimited");
  }
  EXPECT_EQ(chosen(OptionsList::MinImageSize), "100x100");
  EXPECT_EQ(chosen(OptionsList::MaxImageSize), "800x600");
  for (const auto box : {OptionsCheck::AutoSaveMode, OptionsCheck::Sounds, OptionsCheck::Docs,
                         OptionsCheck::Movies, OptionsCheck::AdultMode, OptionsCheck::DebugMode})
    EXPECT_EQ(view.checkValue(box), 0);
  EXPECT_EQ(view.pathText(), h.platform.picturesFolder());
  EXPECT_FALSE(view.pathEnabled());
  EXPECT_FALSE(view.pathButtonEnabled());
  EXPECT_FALSE(view.checkVisible.at(OptionsCheck::DebugMode));
}

TEST_F(OptionsDialogTest, LoadsWhatIsStored) {
  store.values = {
      {"MinImageSize", "320x240"}, {"MaxImageSize", "unlimited"}, {"AdultMode", "1"},
      {"DebugMode", "1"},          {"AutosaveMode", "1"},         {"AutosavePath", "/home/u/pics"},
      {"AllowMovies", "1"},        {"AllowSounds", "0"},          {"AllowDocs", "7"}};
  dialog.Load();
  EXPECT_EQ(chosen(OptionsList::MinImageSize), "320x240");
  EXPECT_EQ(view.listIndex(OptionsList::MaxImageSize), -1) << "sizes match case and all";
  EXPECT_EQ(view.checkValue(OptionsCheck::AdultMode), 1);
  EXPECT_EQ(view.checkValue(OptionsCheck::DebugMode), 1);
  EXPECT_EQ(view.checkValue(OptionsCheck::AutoSaveMode), 1);
  EXPECT_EQ(view.checkValue(OptionsCheck::Movies), 1);
  EXPECT_EQ(view.checkValue(OptionsCheck::Sounds), 0);
  EXPECT_EQ(view.checkValue(OptionsCheck::Docs), 1);
  EXPECT_EQ(view.pathText(), "/home/u/pics");
  EXPECT_TRUE(view.pathEnabled());
  EXPECT_TRUE(view.pathButtonEnabled());
}

TEST_F(OptionsDialogTest, OkWritesStoreAndSettingsInOrder) {
  store.values["DebugMode"] = "1";
  dialog.Load();
  store.writes.clear();
  view.setListIndex(OptionsList::MinImageSize, 0);
  view.setListIndex(OptionsList::MaxImageSize, 9);
  view.setCheckValue(OptionsCheck::AdultMode, 1);
  view.setCheckValue(OptionsCheck::AutoSaveMode, 1);
  view.setPathText("/data/saved");
  view.setCheckValue(OptionsCheck::Sounds, 1);
  view.events.okClick();

  EXPECT_EQ(store.writes, (std::vector<std::pair<std::string, std::string>>{
                              {"MinImageSize", "48x48"},
                              {"MaxImageSize", "1280x1024"},
                              {"AdultMode", "1"},
                              {"DebugMode", "1"},  // hidden, written back as loaded
                              {"AutosaveMode", "1"},
                              {"AutosavePath", "/data/saved"},
                              {"AllowMovies", "0"},
                              {"AllowSounds", "1"},
                              {"AllowDocs", "0"}}));
  const Settings& s = h.program.settings;
  EXPECT_EQ(s.MinImageWidth, 48);
  EXPECT_EQ(s.MinImageHeight, 48);
  EXPECT_EQ(s.MaxImageWidth, 1280);
  EXPECT_EQ(s.MaxImageHeight, 1024);
  EXPECT_TRUE(s.AdultMode);
  EXPECT_TRUE(s.DebugMode);
  EXPECT_TRUE(s.AutosaveMode);
  EXPECT_EQ(s.AutosavePath, "/data/saved");
  EXPECT_FALSE(s.AllowMovies);
  EXPECT_TRUE(s.AllowSounds);
  EXPECT_FALSE(s.AllowDocs);
  EXPECT_EQ(view.closes, 1);
  EXPECT_FALSE(dialog.IsLoaded());
}

TEST(OptionsDialog, OkWithTheSizesAsLoaded) {
  struct Case {
    const char* stored;  // "" when nothing is stored yet
    const char* written;
    int width;
  };
  // A stored size that is no entry stays as it was; a first run stores the dialog's own.
  for (const Case& c : {Case{"unlimited", "unlimited", 999999}, Case{"", "800x600", 800}}) {
    SCOPED_TRACE(c.stored);
    fake::Harness h;
    if (*c.stored) h.platform.store.values["MaxImageSize"] = c.stored;
    h.program.settings.MaxImageWidth = 999999;
    h.program.options->Load();
    h.platform.options.events.okClick();
    EXPECT_EQ(h.platform.store.values["MaxImageSize"], c.written);
    EXPECT_EQ(h.program.settings.MaxImageWidth, c.width);
    EXPECT_EQ(h.platform.store.values["MinImageSize"], "100x100");
    EXPECT_EQ(h.program.settings.MinImageWidth, 100);
  }
}

TEST_F(OptionsDialogTest, CancelWritesNothing) {
  dialog.Load();
  const Settings before = h.program.settings;
  view.setCheckValue(OptionsCheck::AdultMode, 1);
  view.setPathText("/elsewhere");
  view.events.cancelClick();
  EXPECT_TRUE(store.writes.empty());
  EXPECT_EQ(h.program.settings.AdultMode, before.AdultMode);
  EXPECT_EQ(h.program.settings.AutosavePath, before.AutosavePath);
  EXPECT_EQ(view.closes, 1);
}

TEST_F(OptionsDialogTest, AutoSaveBoxEnablesThePath) {
  dialog.Load();
  for (const int value : {1, 0, 1}) {
    view.setCheckValue(OptionsCheck::AutoSaveMode, value);
    view.events.autoSaveClick();
    EXPECT_EQ(view.pathEnabled(), value == 1);
    EXPECT_EQ(view.pathButtonEnabled(), value == 1);
  }
}

TEST_F(OptionsDialogTest, PathButtonAsksForAFolder) {
  store.values["AutosavePath"] = "/start";
  dialog.Load();
  view.events.pathClick();  // cancelled: the box keeps its folder
  EXPECT_EQ(view.pathText(), "/start");
  h.platform.dialogs_.folderChoice = "/chosen";
  view.events.pathClick();
  EXPECT_EQ(view.pathText(), "/chosen");
  EXPECT_EQ(h.platform.dialogs_.folderStarts, (std::vector<std::string>{"/start", "/start"}));
}

TEST_F(OptionsDialogTest, PlacesItselfByItsTitle) {
  h.window().move(0, 0, 800 * 15, 600 * 15);
  struct Case {
    const char* title;
    int left, top;
  };
  const int w = view.width(), ht = view.height();
  const Case cases[] = {
      {"Options", (1024 * 15 - w) / 2, (768 * 15 - ht) / 2},
      {"config", 600, 600 * 15 - ht - 600},
      {"CONFIG", 600, 600 * 15 - ht - 600},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    dialog.SetTitle(c.title);
    dialog.PlaceOptions();
    EXPECT_EQ(view.left, c.left);
    EXPECT_EQ(view.top, c.top);
    EXPECT_EQ(view.title(), "Options");
  }
}

TEST_F(OptionsDialogTest, EachOpeningAfterACloseReadsTheStoreAgain) {
  dialog.Load();
  view.events.cancelClick();
  store.values["AdultMode"] = "1";
  view.whileModal = [&] { view.events.cancelClick(); };
  dialog.PlaceOptions();
  dialog.ShowModal();
  EXPECT_EQ(view.checkValue(OptionsCheck::AdultMode), 1);

  // Closed by its window frame: unloaded all the same.
  view.whileModal = nullptr;
  dialog.ShowModal();
  EXPECT_FALSE(dialog.IsLoaded());
}

TEST_F(OptionsDialogTest, ConfigurationSwitchShowsOnlyTheDialog) {
  for (const bool ok : {false, true}) {
    SCOPED_TRACE(ok);
    fake::Harness fresh;
    auto& options = fresh.platform.options;
    options.whileModal = [&] {
      options.setCheckValue(OptionsCheck::Movies, 1);
      ok ? options.events.okClick() : options.events.cancelClick();
    };
    EXPECT_EQ(Startup(fresh.program, "/c:1234"), 0);
    EXPECT_EQ(options.modalShows, 1);
    EXPECT_EQ(options.left, (1024 * 15 - options.width()) / 2);
    EXPECT_FALSE(fresh.platform.mainWindowCreated());
    EXPECT_EQ(fresh.platform.store.values.count("AllowMovies"), ok ? 1u : 0u);
  }
}

}  // namespace
