#include "app/image_form.h"

#include <gtest/gtest.h>

#include <tuple>

#include "app/startup.h"
#include "support/harness.h"

namespace {

struct Loaded : fake::Harness {
  Loaded() { Startup(program, ""); }
};

TEST(ImageForm, LoadCoversTheScreenAndSetsTheTimers) {
  Loaded h;
  auto& w = h.window();
  EXPECT_EQ(w.caption(), "Quorel v2.0 - ");
  SetCaption(h.program, "x");
  EXPECT_EQ(w.caption(), "Quorel v2.0 - x");
  EXPECT_EQ(std::make_tuple(w.left(), w.top(), w.width(), w.height()),
            std::make_tuple(0, 0, 1024 * 15, 768 * 15));
  EXPECT_EQ(w.backColor, 0u);
  EXPECT_TRUE(w.maximized);
  EXPECT_EQ(w.recovery.interval(), 30000);
  EXPECT_TRUE(w.recovery.enabled());
  EXPECT_EQ(w.time.interval(), 1000);
  EXPECT_TRUE(w.time.enabled());
  EXPECT_EQ(w.next.interval(), 5000);
  EXPECT_TRUE(w.next.enabled());  // the slots' about:blank loads armed it
  EXPECT_TRUE(h.platform.hooks.procedure);
  EXPECT_EQ(h.program.badLinks.size(), 58u);
  EXPECT_EQ(h.program.settings.AutosavePath, h.platform.picturesFolder());  // the defaults
}

TEST(ImageForm, LoadParksTheBrowsersBelowTheScreenAndPlacesTheStrip) {
  // Loaded under an open menu the slots are not sent anywhere, and the address box is empty.
  for (const bool menuOpen : {false, true}) {
    SCOPED_TRACE(menuOpen);
    fake::Harness h;
    h.program.menuOpen = menuOpen;
    Form_Load(h.program);
    auto& work = h.work();
    auto& w = h.window();
    EXPECT_EQ(h.program.workBrowserTop, 768 * 15 + 600);
    EXPECT_EQ(h.program.workBrowserLeft, 1024 * 15 - 9000);
    EXPECT_EQ(std::make_tuple(work.left(), work.top(), work.width(), work.height()),
              std::make_tuple(1024 * 15 - 9000, 768 * 15 + 600, 9000, 1500));
    EXPECT_TRUE(work.silent());
    EXPECT_TRUE(work.visible());
    EXPECT_EQ(w.logo.picture(), platform::Picture::LogoOut);
    EXPECT_EQ(w.clockLabel.width(), 2000);
    EXPECT_FALSE(w.clockLabel.autoSize());
    EXPECT_EQ(w.addressBox.top(), w.height() - w.addressBox.height());
    EXPECT_EQ(w.addressBox.left(), 2000 + w.clockLabel.left() + 90);
    EXPECT_EQ(w.addressBox.width(), w.width());
    EXPECT_EQ(w.addressBox.text(), menuOpen ? "" : " about:blank");
    EXPECT_EQ(h.shown().size(), menuOpen ? 0u : 10u);
    for (int k = 0; k < 10; ++k) {
      EXPECT_EQ(h.browser(k).left(), 0) << k;
      EXPECT_EQ(h.browser(k).top(), w.height() + 600) << k;
      EXPECT_TRUE(h.browser(k).silent()) << k;
      EXPECT_EQ(h.picbox(k).top(), w.height() + 600) << k;
      const SlotInfo& info = h.program.slotInfo[static_cast<std::size_t>(k)];
      EXPECT_EQ(info.depth, menuOpen ? 0 : -3) << k;
      EXPECT_EQ(info.picUrl + info.siteUrl, "") << k;
    }
    EXPECT_EQ(h.program.nextSlot, 0);
  }
}

TEST(ImageForm, UnloadStopsEverythingAndEndsTheProgram) {
  Loaded h;
  h.window().close();
  EXPECT_TRUE(h.program.unloading);
  EXPECT_FALSE(h.window().next.enabled());
  EXPECT_FALSE(h.window().time.enabled());
  EXPECT_FALSE(h.window().recovery.enabled());
  EXPECT_FALSE(h.platform.hooks.procedure);
  EXPECT_EQ(h.platform.endStatus, 0);
  // Completions still queued afterwards do nothing and write nothing.
  h.work().complete();
  h.browser(3).complete();
  EXPECT_TRUE(h.status().empty());
}

}  // namespace
