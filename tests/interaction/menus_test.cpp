#include <gtest/gtest.h>

#include "app/vendor.h"
#include "dialogs/options_dialog.h"
#include "interaction/image_menu.h"
#include "interaction/logo_menu.h"
#include "interaction/popup_menu.h"
#include "support/harness.h"

namespace {

constexpr int kSlot = 3;

// A program whose slot kSlot shows a complete display page, where the image menu opens.
struct ImageMenu : fake::Harness {
  ImageMenu() {
    program.slotInfo[kSlot] = {"http://v/click?pic3", 2, "http://v/click?site3",
                               "http://site3.test/gallery.html"};
    program.settings.AutosavePath = platform.folder.string();
    browser(kSlot).fakeDocument().withImage("http://img/x.png", 10, 10);
    platform.transfer_.replies["http://img/x.png"] = {true, "PNG", {}, "png"};
    platform.shell_.result = 31;  // no browser registered: the window closes all the same
  }
};

// Browse Site is greyed unless in adult mode.
TEST(ImageMenu, ActsOnTheClickedSlot) {
  struct Row {
    int id;
    bool adult;
    std::string opened;  // "" when nothing is opened (and the window stays)
    bool saves, visible;
    const char* stack;  // the frames from back to front afterwards
  };
  const Row rows[] = {
      {0, true, "", false, true, "0123456789"},
      {1, false, "http://v/click?pic3", false, true, "0123456789"},
      {2, true, "http://v/click?site3", false, true, "0123456789"},
      {2, false, "", false, true, "0123456789"},  // greyed: cannot be chosen
      {4, true, "", true, true, "0123456789"},
      {6, true, "", false, true, "0124567893"},
      {7, true, "", false, true, "3012456789"},
      {8, true, "", false, false, "0123456789"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.id);
    ImageMenu h;
    h.program.settings.AdultMode = r.adult;
    h.platform.dialogs_.menuChoice = r.id;
    bool otherClick = true;  // a click on another image while the menu is up does nothing
    auto& menus = h.platform.dialogs_.menus;
    h.platform.dialogs_.whileMenuOpen = [&] {
      if (menus.size() == 1) otherClick = page_onclick_sink(h.program, 5);
    };
    EXPECT_FALSE(page_onclick_sink(h.program, kSlot)) << "the click's own action is cancelled";
    EXPECT_FALSE(otherClick);
    EXPECT_EQ(menus.size(), 1u);

    EXPECT_EQ(h.menu(), std::string("Browse Pic|") + (r.adult ? "Browse Site" : "[Browse Site]") +
                            "|<->|Save Image|<->|Raise|Lower|Hide");
    using Calls = std::vector<fake::ShellCall>;
    const Calls open = {{0, "open", r.opened, "", "", 1}};
    EXPECT_EQ(h.platform.shell_.calls, r.opened.empty() ? Calls{} : open);
    EXPECT_EQ(h.window().closeCalls, r.opened.empty() ? 0 : 1);
    EXPECT_EQ(h.platform.files.saved.size(), r.saves ? 1u : 0u);
    if (r.saves) {
      EXPECT_EQ(h.platform.files.origins[0].referrer, "http://site3.test/gallery.html");
    }
    for (int k = 0; k < platform::MainWindow::kSlots; ++k)
      EXPECT_EQ(h.picbox(k).visible(), k != kSlot || r.visible) << k;
    EXPECT_EQ(h.slotStack(), r.stack);
    EXPECT_FALSE(h.program.menuOpen);
  }
}

TEST(LogoMenu, ActsOnTheChoice) {
  // The choice, and the page it opens before closing the window.
  const std::pair<int, std::string> rows[] = {
      {0, ""}, {1, ""}, {2, ""}, {3, VendorUrl("/quorel")}, {4, VendorUrl("/forums")},
      {5, ""}, {6, ""}};
  for (const auto& [id, opened] : rows) {
    SCOPED_TRACE(id);
    fake::Harness h;
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

    EXPECT_EQ(h.menu(), "Config|<->|Quorel Home|Quorel Forums|<->|Exit");
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

// "-" alone, spaces around it or not, is a separator; a leading "!" greys the rest out. Only
// plain entries can be chosen.
TEST(PopupMenu, ItemTextsBecomeEntriesAndOnlyPlainOnesAreChosen) {
  fake::Harness menu;
  cPopupMenu().Popup(menu.program, {"Pic", "-", "  -  ", "--", "!Site", "!", " !x", ""});
  EXPECT_EQ(menu.menu(), "Pic|<->|<->|--|[Site]|[]| !x|");
  const std::pair<int, int> rows[] = {{1, 1}, {4, 4}, {0, 0}, {2, 0}, {3, 0}, {5, 0}, {-1, 0}};
  for (const auto& [choice, returned] : rows) {
    fake::Harness h;
    bool openWhileShown = false;
    h.platform.dialogs_.whileMenuOpen = [&] { openWhileShown = h.program.menuOpen; };
    h.platform.dialogs_.menuChoice = choice;
    EXPECT_EQ(cPopupMenu().Popup(h.program, {"A", "-", "!B", "C"}), returned) << choice;
    EXPECT_TRUE(openWhileShown);
    EXPECT_FALSE(h.program.menuOpen);
  }
  // A failing menu still clears menuOpen.
  fake::Harness h;
  h.platform.dialogs_.whileMenuOpen = [] { throw std::runtime_error("menu failed"); };
  EXPECT_THROW(cPopupMenu().Popup(h.program, {"A"}), std::runtime_error);
  EXPECT_FALSE(h.program.menuOpen);
}

}  // namespace
