#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "core/vendor.h"
#include "dialogs/options_dialog.h"
#include "interaction/image_menu.h"
#include "interaction/logo_menu.h"
#include "interaction/popup_menu.h"
#include "support/harness.h"

namespace platform {

// Menu entries compare and print as the user sees them.
bool operator==(const MenuEntry& a, const MenuEntry& b) {
  return a.kind == b.kind && a.text == b.text;
}
void PrintTo(const MenuEntry& entry, std::ostream* out) {
  *out << (entry.kind == MenuEntry::Kind::Separator  ? "separator"
           : entry.kind == MenuEntry::Kind::Disabled ? "greyed \"" + entry.text + "\""
                                                     : "\"" + entry.text + "\"");
}

}  // namespace platform

namespace {

using Entry = platform::MenuEntry;
using Entries = std::vector<Entry>;
Entry Plain(const std::string& text) { return {Entry::Kind::Plain, text}; }
Entry Greyed(const std::string& text) { return {Entry::Kind::Disabled, text}; }
const Entry kSeparator = {Entry::Kind::Separator, ""};

constexpr int kSlot = 3;

// The entries as the menus number them, from 1, separators included; 0 is a dismissed menu.
enum class ImageChoice { Dismissed, BrowsePic, BrowseSite, Save = 4, Raise = 6, Lower, Hide };
enum class LogoChoice { Dismissed, Config, Separator, Home, Forums, Exit = 6 };

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

// Browse Site is greyed unless in adult mode. An address opened closes the window.
TEST(ImageMenu, ActsOnTheClickedSlot) {
  struct Row {
    const char* name;
    ImageChoice choice;
    bool adult = true;
    std::string opened = "";  // in the default web browser
    bool saves = false, hidden = false;
    const char* stack = "0123456789";  // the frames from back to front afterwards
  };
  const Row rows[] = {
      {.name = "dismissed", .choice = ImageChoice::Dismissed},
      {.name = "Browse Pic",
       .choice = ImageChoice::BrowsePic,
       .adult = false,
       .opened = "http://v/click?pic3"},
      {.name = "Browse Site", .choice = ImageChoice::BrowseSite, .opened = "http://v/click?site3"},
      {.name = "Browse Site greyed out", .choice = ImageChoice::BrowseSite, .adult = false},
      {.name = "Save Image", .choice = ImageChoice::Save, .saves = true},
      {.name = "Raise", .choice = ImageChoice::Raise, .stack = "0124567893"},
      {.name = "Lower", .choice = ImageChoice::Lower, .stack = "3012456789"},
      {.name = "Hide", .choice = ImageChoice::Hide, .hidden = true},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    ImageMenu h;
    h.program.settings.AdultMode = r.adult;
    h.platform.dialogs_.menuChoice = static_cast<int>(r.choice);
    bool otherClick = true;  // a click on another image while the menu is up does nothing
    auto& menus = h.platform.dialogs_.menus;
    h.platform.dialogs_.whileMenuOpen = [&] {
      if (menus.size() == 1) otherClick = page_onclick_sink(h.program, 5);
    };
    EXPECT_FALSE(page_onclick_sink(h.program, kSlot)) << "the click's own action is cancelled";
    EXPECT_FALSE(otherClick);
    EXPECT_EQ(menus.size(), 1u);

    EXPECT_EQ(h.menu(),
              (Entries{Plain("Browse Pic"), r.adult ? Plain("Browse Site") : Greyed("Browse Site"),
                       kSeparator, Plain("Save Image"), kSeparator, Plain("Raise"), Plain("Lower"),
                       Plain("Hide")}));
    using Calls = std::vector<fake::ShellCall>;
    const Calls open = {{0, "open", r.opened, "", "", 1}};
    EXPECT_EQ(h.platform.shell_.calls, r.opened.empty() ? Calls{} : open);
    EXPECT_EQ(h.window().closeCalls, r.opened.empty() ? 0 : 1);
    EXPECT_EQ(h.platform.files.saved.size(), r.saves ? 1u : 0u);
    EXPECT_EQ(h.picbox(kSlot).visible(), !r.hidden);
    for (int k = 0; k < platform::MainWindow::kSlots; ++k) {
      if (k == kSlot) continue;
      EXPECT_TRUE(h.picbox(k).visible()) << "slot " << k;  // the others stay
    }
    if (r.saves) {
      EXPECT_EQ(h.platform.files.origins[0].referrer, "http://site3.test/gallery.html");
    }
    EXPECT_EQ(h.slotStack(), r.stack);
    EXPECT_FALSE(h.program.menuOpen);
  }
}

// An entry that opens a page closes the window, whether the page opened or not.
TEST(LogoMenu, ActsOnTheChoice) {
  struct Row {
    const char* name;
    LogoChoice choice;
    std::string opened = "";
    bool closes = false;
  };
  const Row rows[] = {
      {.name = "dismissed", .choice = LogoChoice::Dismissed},
      {.name = "a separator", .choice = LogoChoice::Separator},
      {.name = "Quorel Home",
       .choice = LogoChoice::Home,
       .opened = VendorUrl("/quorel"),
       .closes = true},
      {.name = "Quorel Forums",
       .choice = LogoChoice::Forums,
       .opened = VendorUrl("/forums"),
       .closes = true},
      {.name = "Exit", .choice = LogoChoice::Exit, .closes = true},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    fake::Harness h;
    h.platform.shell_.result = 2;  // opening fails
    h.platform.dialogs_.menuChoice = static_cast<int>(r.choice);
    picLogo_Click(h.program);

    EXPECT_EQ(h.menu(), (Entries{Plain("Config"), kSeparator, Plain("Quorel Home"),
                                 Plain("Quorel Forums"), kSeparator, Plain("Exit")}));
    using Calls = std::vector<fake::ShellCall>;
    const Calls open = {{0, "open", r.opened, "", "", 1}};
    EXPECT_EQ(h.platform.shell_.calls, r.opened.empty() ? Calls{} : open);
    EXPECT_EQ(h.window().closeCalls, r.closes ? 1 : 0);
    EXPECT_EQ(h.platform.options.modalShows, 0);
    EXPECT_FALSE(h.program.menuOpen);
  }
}

// Config shows the options dialog in the window's corner, under its own title, while the show
// goes on behind it.
TEST(LogoMenu, ConfigShowsTheOptions) {
  fake::Harness h;
  h.program.options->Load();  // as start-up does
  h.platform.dialogs_.menuChoice = static_cast<int>(LogoChoice::Config);
  auto& options = h.platform.options;
  bool menuOpenBehindDialog = true;
  std::string title;
  options.whileModal = [&] {
    menuOpenBehindDialog = h.program.menuOpen;
    title = options.title();
  };
  picLogo_Click(h.program);
  EXPECT_EQ(options.modalShows, 1);
  EXPECT_FALSE(menuOpenBehindDialog);
  EXPECT_EQ(options.left, 600);
  EXPECT_EQ(options.top, 768 * 15 - options.height() - 600);
  EXPECT_EQ(title, "Options");
  EXPECT_EQ(h.window().closeCalls, 0);
  EXPECT_FALSE(h.program.menuOpen);
}

// "-" alone, spaces around it or not, is a separator; a leading "!" greys the rest out. Only
// plain entries can be chosen.
TEST(PopupMenu, ItemTextsBecomeEntriesAndOnlyPlainOnesAreChosen) {
  fake::Harness menu;
  cPopupMenu().Popup(menu.program, {"Pic", "-", "  -  ", "--", "!Site", "!", " !x", ""});
  EXPECT_EQ(menu.menu(), (Entries{Plain("Pic"), kSeparator, kSeparator, Plain("--"), Greyed("Site"),
                                  Greyed(""), Plain(" !x"), Plain("")}));
  const struct {
    const char* name;
    int choice, returned;
  } rows[] = {
      {.name = "the first", .choice = 1, .returned = 1},
      {.name = "the last", .choice = 4, .returned = 4},
      {.name = "dismissed", .choice = 0, .returned = 0},
      {.name = "a separator", .choice = 2, .returned = 0},
      {.name = "a greyed entry", .choice = 3, .returned = 0},
      {.name = "past the last", .choice = 5, .returned = 0},
      {.name = "a negative number", .choice = -1, .returned = 0},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    fake::Harness h;
    bool openWhileShown = false;
    h.platform.dialogs_.whileMenuOpen = [&] { openWhileShown = h.program.menuOpen; };
    h.platform.dialogs_.menuChoice = r.choice;
    EXPECT_EQ(cPopupMenu().Popup(h.program, {"A", "-", "!B", "C"}), r.returned);
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
