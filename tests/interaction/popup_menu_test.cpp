#include "interaction/popup_menu.h"

#include <gtest/gtest.h>

#include "support/harness.h"

namespace {

// "-" alone, spaces around it or not, is a separator; a leading "!" greys the rest out.
TEST(PopupMenu, ItemTextsBecomeEntries) {
  fake::Harness h;
  cPopupMenu().Popup(h.program, {"Browse Pic", "-", "  -  ", "--", "!Browse Site", "!", " !x", ""});
  EXPECT_EQ(h.menu(0), "Browse Pic|<->|<->|--|[Browse Site]|[]| !x|");
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
