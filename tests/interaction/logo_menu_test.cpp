#include "interaction/logo_menu.h"

#include <gtest/gtest.h>

#include "app/vendor.h"
#include "dialogs/options_dialog.h"
#include "support/harness.h"

namespace {

TEST(LogoMenu, ActsOnTheChoice) {
  // The choice, and the page it opens before closing the window.
  const std::pair<int, std::string> rows[] = {
      {0, ""}, {1, ""}, {2, ""}, {3, VendorUrl("/quorel")}, {4, VendorUrl("/forums")},
      {5, ""}, {6, ""}};
  for (const auto& [id, opened] : rows) {
    SCOPED_TRACE(id);
    fake::Harness h;
    h.window().move(0, 0, 1024 * 15, 768 * 15);
    h.program.options->Load();     // as start-up does
    h.platform.shell_.result = 2;  // opening fails: the window closes all the same
    h.platform.dialogs_.menuChoice = id;
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
    const Calls open = {{0, "open", opened, "", "", 1}};
    EXPECT_EQ(h.platform.shell_.calls, opened.empty() ? Calls{} : open);
    EXPECT_EQ(h.window().closeCalls, opened.empty() && id != 6 ? 0 : 1);  // 6: Exit
    EXPECT_EQ(options.modalShows, id == 1 ? 1 : 0);                       // Config
    if (id == 1) {
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
