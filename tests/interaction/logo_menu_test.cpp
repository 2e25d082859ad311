#include "interaction/logo_menu.h"

#include <gtest/gtest.h>

#include "app/vendor.h"
#include "dialogs/options_dialog.h"
#include "support/harness.h"

namespace {

using Kind = platform::MenuEntry::Kind;

TEST(LogoMenu, ShowsTheProgramMenu) {
  fake::Harness h;
  picLogo_Click(h.program);
  ASSERT_EQ(h.platform.dialogs_.menus.size(), 1u);
  EXPECT_EQ(h.menu(0), (decltype(h.menu(0)){{Kind::Plain, "Config"},
                                            {Kind::Separator, ""},
                                            {Kind::Plain, "Quorel Home"},
                                            {Kind::Plain, "Quorel Forums"},
                                            {Kind::Separator, ""},
                                            {Kind::Plain, "Exit"}}));
}

TEST(LogoMenu, ActsOnTheChoice) {
  struct Case {
    int id;
    std::string opened;
    bool closes;
    bool options;
  };
  const Case cases[] = {
      {0, "", false, false},
      {1, "", false, true},
      {2, "", false, false},
      {3, VendorUrl("/quorel"), true, false},
      {4, VendorUrl("/forums"), true, false},
      {5, "", false, false},
      {6, "", true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    fake::Harness h;
    h.platform.shell_.result = 2;  // opening fails: the window closes all the same
    h.platform.dialogs_.menuChoice = c.id;
    bool menuOpenBehindDialog = true;
    h.platform.options.whileModal = [&] { menuOpenBehindDialog = h.program.menuOpen; };

    picLogo_Click(h.program);

    if (c.opened.empty()) {
      EXPECT_TRUE(h.platform.shell_.calls.empty());
    } else {
      ASSERT_EQ(h.platform.shell_.calls.size(), 1u);
      EXPECT_EQ(h.platform.shell_.calls[0].file, c.opened);
      EXPECT_EQ(h.platform.shell_.calls[0].verb, "open");
    }
    EXPECT_EQ(h.window().closeCalls, c.closes ? 1 : 0);
    EXPECT_EQ(h.platform.options.modalShows, c.options ? 1 : 0);
    if (c.options) {
      EXPECT_FALSE(menuOpenBehindDialog) << "the show goes on behind the dialog";
    }
    EXPECT_FALSE(h.program.menuOpen);
  }
}

TEST(LogoMenu, ConfigPlacesTheDialogInTheWindowsCorner) {
  fake::Harness h;
  h.window().move(0, 0, 1024 * 15, 768 * 15);
  h.program.options->Load();  // as start-up does
  h.platform.dialogs_.menuChoice = 1;
  std::string titleWhileShown;
  h.platform.options.whileModal = [&] { titleWhileShown = h.platform.options.title(); };
  picLogo_Click(h.program);
  EXPECT_EQ(h.platform.options.left, 600);
  EXPECT_EQ(h.platform.options.top, 768 * 15 - h.platform.options.height() - 600);
  EXPECT_EQ(titleWhileShown, "Options");
}

TEST(LogoMenu, PressAndReleaseSwapThePicture) {
  fake::Harness h;
  for (const int button : {1, 2}) {
    picLogo_MouseDown(h.program, button);
    EXPECT_EQ(h.window().logo.picture(), platform::Picture::LogoIn);
    picLogo_MouseUp(h.program, button);
    EXPECT_EQ(h.window().logo.picture(), platform::Picture::LogoOut);
  }
}

}  // namespace
