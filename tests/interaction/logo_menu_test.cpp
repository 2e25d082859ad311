#include "interaction/logo_menu.h"

#include <gtest/gtest.h>

#include "app/vendor.h"
#include "dialogs/options_dialog.h"
#include "support/harness.h"

namespace {

TEST(LogoMenu, ActsOnTheChoice) {
  struct Row {
    int id;
    std::string opened;
    bool closes, options;
  };
  const Row rows[] = {
      {0, "", false, false},
      {1, "", false, true},
      {2, "", false, false},
      {3, VendorUrl("/quorel"), true, false},
      {4, VendorUrl("/forums"), true, false},
      {5, "", false, false},
      {6, "", true, false},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.id);
    fake::Harness h;
    h.window().move(0, 0, 1024 * 15, 768 * 15);
    h.program.options->Load();     // as start-up does
    h.platform.shell_.result = 2;  // opening fails: the window closes all the same
    h.platform.dialogs_.menuChoice = r.id;
    auto& options = h.platform.options;
    bool menuOpenBehindDialog = true;
    std::string title;
    options.whileModal = [&] {
      menuOpenBehindDialog = h.program.menuOpen;
      title = options.title();
    };
    picLogo_Click(h.program);

    EXPECT_EQ(h.menu(0), "Config|<->|Quorel Home|Quorel Forums|<->|Exit");
    using Calls = std::vector<fake::ShellCall>;
    const Calls open = {{0, "open", r.opened, "", "", 1}};
    EXPECT_EQ(h.platform.shell_.calls, r.opened.empty() ? Calls{} : open);
    EXPECT_EQ(h.window().closeCalls, r.closes ? 1 : 0);
    EXPECT_EQ(options.modalShows, r.options ? 1 : 0);
    if (r.options) {
      EXPECT_FALSE(menuOpenBehindDialog) << "the show goes on behind the dialog";
      // In the window's corner, under its own title.
      EXPECT_EQ(options.left, 600);
      EXPECT_EQ(options.top, 768 * 15 - options.height() - 600);
      EXPECT_EQ(title, "Options");
    }
    EXPECT_FALSE(h.program.menuOpen);
  }
}

}  // namespace
