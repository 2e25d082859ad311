#include "interaction/image_menu.h"

#include <gtest/gtest.h>

#include "support/harness.h"

namespace {

constexpr int kSlot = 3;

// A program whose ten slots show complete display pages; the image menu opens on slot kSlot.
struct ImageMenu : fake::Harness {
  ImageMenu() {
    for (int k = 0; k < platform::MainWindow::kSlots; ++k) {
      program.slotInfo[static_cast<std::size_t>(k)] = {"http://v/click?pic" + std::to_string(k), 2,
                                                       "http://v/click?site" + std::to_string(k)};
    }
    program.settings.AutosavePath = platform.folder.string();
    browser(kSlot).fakeDocument().withImage("http://img/x.png", 10, 10);
    platform.transfer_.replies["http://img/x.png"] = {true, "PNG", {}};
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
      {3, true, "", false, true, "0123456789"},
      {4, true, "", true, true, "0123456789"},
      {5, true, "", false, true, "0123456789"},
      {6, true, "", false, true, "0124567893"},
      {7, true, "", false, true, "3012456789"},
      {8, true, "", false, false, "0123456789"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.id);
    ImageMenu h;
    h.program.settings.AdultMode = r.adult;
    h.platform.dialogs_.menuChoice = r.id;
    EXPECT_FALSE(page_onclick_sink(h.program, kSlot)) << "the click's own action is cancelled";

    EXPECT_EQ(h.menu(0), std::string("Browse Pic|") + (r.adult ? "Browse Site" : "[Browse Site]") +
                             "|<->|Save Image|<->|Raise|Lower|Hide");
    using Calls = std::vector<fake::ShellCall>;
    const Calls open = {{0, "open", r.opened, "", "", 1}};
    EXPECT_EQ(h.platform.shell_.calls, r.opened.empty() ? Calls{} : open);
    EXPECT_EQ(h.window().closeCalls, r.opened.empty() ? 0 : 1);
    EXPECT_EQ(h.platform.files.saved.size(), r.saves ? 1u : 0u);
    for (int k = 0; k < platform::MainWindow::kSlots; ++k)
      EXPECT_EQ(h.picbox(k).visible(), k != kSlot || r.visible) << k;
    EXPECT_EQ(h.slotStack(), r.stack);
    EXPECT_FALSE(h.program.menuOpen);
  }
}

TEST(ImageMenu, AClickWhileAMenuIsOpenDoesNothing) {
  ImageMenu h;
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
}

}  // namespace
