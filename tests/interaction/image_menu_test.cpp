#include "interaction/image_menu.h"

#include <gtest/gtest.h>

#include "support/harness.h"

namespace {

using Kind = platform::MenuEntry::Kind;

constexpr int kSlot = 3;

// A program whose ten slots show complete display pages, and a click on slot kSlot.
struct ImageMenu : ::testing::Test {
  fake::Harness h;

  void SetUp() override {
    for (int k = 0; k < platform::MainWindow::kSlots; ++k) {
      h.program.slotInfo[static_cast<std::size_t>(k)] = {
          "http://v/click?pic" + std::to_string(k), 2, "http://v/click?site" + std::to_string(k)};
    }
  }
  // The sink's result: false cancels the click's default action.
  bool choose(int id) {
    h.platform.dialogs_.menuChoice = id;
    return page_onclick_sink(h.program, kSlot);
  }
};

TEST_F(ImageMenu, ShowsTheEightEntriesWithBrowseSiteOnlyInAdultMode) {
  for (const bool adult : {false, true}) {
    SCOPED_TRACE(adult);
    h.platform.dialogs_.menus.clear();
    h.program.settings.AdultMode = adult;
    choose(0);
    ASSERT_EQ(h.platform.dialogs_.menus.size(), 1u);
    EXPECT_EQ(h.menu(0), (decltype(h.menu(0)){{Kind::Plain, "Browse Pic"},
                                              {adult ? Kind::Plain : Kind::Disabled, "Browse Site"},
                                              {Kind::Separator, ""},
                                              {Kind::Plain, "Save Image"},
                                              {Kind::Separator, ""},
                                              {Kind::Plain, "Raise"},
                                              {Kind::Plain, "Lower"},
                                              {Kind::Plain, "Hide"}}));
  }
}

TEST_F(ImageMenu, ActsOnTheClickedSlot) {
  struct Case {
    int id;
    bool adult;
    std::string opened;  // "" when nothing is opened
    bool closes;
    bool visible;
  };
  const Case cases[] = {
      {0, true, "", false, true},
      {1, false, "http://v/click?pic3", true, true},
      {2, true, "http://v/click?site3", true, true},
      {2, false, "", false, true},  // greyed: cannot be chosen
      {3, true, "", false, true},
      {5, true, "", false, true},
      {8, true, "", false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    h.platform.shell_.calls.clear();
    h.window().closeCalls = 0;
    h.picbox(kSlot).setVisible(true);
    h.program.settings.AdultMode = c.adult;
    h.platform.shell_.result = 31;  // no browser registered: the window closes all the same

    EXPECT_FALSE(choose(c.id)) << "the click's own default action must be cancelled";

    if (c.opened.empty()) {
      EXPECT_TRUE(h.platform.shell_.calls.empty());
    } else {
      ASSERT_EQ(h.platform.shell_.calls.size(), 1u);
      const auto& call = h.platform.shell_.calls[0];
      EXPECT_EQ(call.file, c.opened);
      EXPECT_EQ(call.verb, "open");
      EXPECT_EQ(call.showCommand, 1);  // no parameters or folder: shown normally
    }
    EXPECT_EQ(h.window().closeCalls, c.closes ? 1 : 0);
    EXPECT_EQ(h.picbox(kSlot).visible(), c.visible);
    for (int k = 0; k < platform::MainWindow::kSlots; ++k) {
      if (k == kSlot) continue;
      EXPECT_TRUE(h.picbox(k).visible()) << k;
    }
    EXPECT_FALSE(h.program.menuOpen);
  }
}

TEST_F(ImageMenu, RaiseAndLowerMoveTheSlotsFrame) {
  choose(6);
  EXPECT_EQ(h.slotStack().back(), '0' + kSlot);
  choose(7);
  EXPECT_EQ(h.slotStack().front(), '0' + kSlot);
}

TEST_F(ImageMenu, SaveImageSavesTheSlotsDocument) {
  h.program.settings.AutosavePath = h.platform.folder.string();
  auto doc = std::make_shared<fake::FakeDocument>();
  doc->withImage("http://img/x.png", 10, 10);
  h.browser(kSlot).setDocument(doc);
  h.platform.transfer_.replies["http://img/x.png"] = {true, "PNG", {}};
  choose(4);
  EXPECT_EQ(h.platform.transfer_.fetches, std::vector<std::string>{"http://img/x.png"});
  EXPECT_EQ(h.platform.files.saved.size(), 1u);
}

TEST_F(ImageMenu, AClickWhileAMenuIsOpenDoesNothing) {
  // The image menu is up and the user clicks another shown image.
  bool sinkResult = true;
  h.platform.dialogs_.whileMenuOpen = [&] {
    h.platform.dialogs_.whileMenuOpen = nullptr;
    sinkResult = page_onclick_sink(h.program, 5);
  };
  h.platform.dialogs_.menuChoice = 8;
  page_onclick_sink(h.program, kSlot);
  EXPECT_EQ(h.platform.dialogs_.menus.size(), 1u);
  EXPECT_FALSE(sinkResult);
  EXPECT_TRUE(h.picbox(5).visible());
  EXPECT_FALSE(h.picbox(kSlot).visible());

  // Any menu counts, the logo menu too.
  h.program.menuOpen = true;
  page_onclick_sink(h.program, 1);
  EXPECT_EQ(h.platform.dialogs_.menus.size(), 1u);
  EXPECT_TRUE(h.program.menuOpen);
}

}  // namespace
