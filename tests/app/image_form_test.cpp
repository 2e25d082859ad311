#include "app/image_form.h"

#include <gtest/gtest.h>

#include "app/startup.h"
#include "support/harness.h"

namespace {

struct Loaded : fake::Harness {
  Loaded() { Startup(program, ""); }
};

TEST(ImageForm, CaptionIsTheVersionAndADash) {
  Loaded h;
  EXPECT_EQ(h.window().caption(), "Quorel v2.0 - ");
  SetCaption(h.program, "x");
  EXPECT_EQ(h.window().caption(), "Quorel v2.0 - x");
}

TEST(ImageForm, LoadCoversTheScreenAndSetsTheTimers) {
  Loaded h;
  auto& w = h.window();
  EXPECT_EQ(w.left(), 0);
  EXPECT_EQ(w.top(), 0);
  EXPECT_EQ(w.width(), 1024 * 15);
  EXPECT_EQ(w.height(), 768 * 15);
  EXPECT_EQ(w.backColor, 0u);
  EXPECT_TRUE(w.maximized);
  EXPECT_EQ(w.recovery.interval(), 30000);
  EXPECT_TRUE(w.recovery.enabled());
  EXPECT_EQ(w.time.interval(), 1000);
  EXPECT_TRUE(w.time.enabled());
  EXPECT_EQ(w.next.interval(), 5000);
  EXPECT_TRUE(w.next.enabled());  // the slots' about:blank loads armed it
  EXPECT_EQ(h.platform.hooks.installed, 1);
  EXPECT_EQ(h.program.badLinks.size(), 58u);
  EXPECT_EQ(h.program.settings.AutosavePath,
            h.platform.picturesFolder());  // first run: the defaults
}

TEST(ImageForm, LoadParksTheBrowsersBelowTheScreenAndPlacesTheStrip) {
  Loaded h;
  auto& work = h.work();
  EXPECT_EQ(h.program.workBrowserTop, 768 * 15 + 600);
  EXPECT_EQ(h.program.workBrowserLeft, 1024 * 15 - 9000);
  EXPECT_EQ(work.top(), h.program.workBrowserTop);
  EXPECT_EQ(work.left(), h.program.workBrowserLeft);
  EXPECT_EQ(work.width(), 9000);
  EXPECT_EQ(work.height(), 1500);
  EXPECT_TRUE(work.silent());
  EXPECT_TRUE(work.visible());
  auto& w = h.window();
  EXPECT_EQ(w.logo.picture(), platform::Picture::LogoOut);
  EXPECT_EQ(w.clockLabel.width(), 2000);
  EXPECT_FALSE(w.clockLabel.autoSize());
  EXPECT_EQ(w.addressBox.top(), w.height() - w.addressBox.height());
  EXPECT_EQ(w.addressBox.left(), 2000 + w.clockLabel.left() + 90);
  EXPECT_EQ(w.addressBox.width(), w.width());
  EXPECT_EQ(w.addressBox.text(), " about:blank");
  for (int k = 0; k < 10; ++k) {
    EXPECT_EQ(h.browser(k).left(), 0) << k;
    EXPECT_EQ(h.browser(k).top(), w.height() + 600) << k;
    EXPECT_TRUE(h.browser(k).silent()) << k;
    EXPECT_EQ(h.picbox(k).top(), w.height() + 600) << k;
    const SlotInfo& info = h.program.slotInfo[static_cast<std::size_t>(k)];
    EXPECT_EQ(info.depth, -3) << k;
    EXPECT_EQ(info.picUrl + info.siteUrl, "") << k;
  }
  EXPECT_EQ(h.program.nextSlot, 0);
}

TEST(ImageForm, UnloadStopsEverythingAndEndsTheProgram) {
  Loaded h;
  h.window().close();
  EXPECT_TRUE(h.program.unloading);
  EXPECT_FALSE(h.window().next.enabled());
  EXPECT_FALSE(h.window().time.enabled());
  EXPECT_FALSE(h.window().recovery.enabled());
  EXPECT_EQ(h.platform.hooks.removed, 1);
  EXPECT_EQ(h.platform.endStatus, 0);
  // Completions still queued afterwards do nothing and write nothing.
  h.debug();
  h.work().complete();
  h.browser(3).complete();
  EXPECT_TRUE(h.status().empty());
}

}  // namespace
