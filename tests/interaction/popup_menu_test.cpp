#include "interaction/popup_menu.h"

#include <gtest/gtest.h>

#include "support/harness.h"

namespace {

using Kind = platform::MenuEntry::Kind;

TEST(PopupMenu, ItemTextsBecomeEntries) {
  struct Case {
    std::string item;
    Kind kind;
    std::string text;
  };
  const Case cases[] = {
      {"Browse Pic", Kind::Plain, "Browse Pic"},
      {"-", Kind::Separator, ""},
      {"  -  ", Kind::Separator, ""},
      {"--", Kind::Plain, "--"},
      {"!Browse Site", Kind::Disabled, "Browse Site"},
      {"!", Kind::Disabled, ""},
      {" !x", Kind::Plain, " !x"},
      {"", Kind::Plain, ""},
  };
  fake::Harness h;
  std::vector<std::string> items;
  for (const auto& c : cases) items.push_back(c.item);
  cPopupMenu().Popup(h.program, items);

  decltype(h.menu(0)) expected;
  for (const auto& c : cases) expected.emplace_back(c.kind, c.text);
  ASSERT_EQ(h.platform.dialogs_.menus.size(), 1u);
  EXPECT_EQ(h.menu(0), expected);
}

TEST(PopupMenu, ReturnsOnlyPlainChoicesAndHoldsMenuOpenMeanwhile) {
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
