#include "app/image_form.h"

#include <gtest/gtest.h>

#include <optional>

#include "app/startup.h"
#include "core/vendor.h"
#include "dialogs/message_window.h"
#include "dialogs/options_dialog.h"
#include "support/harness.h"

namespace {

// Load covers the screen, sets the timers, parks the browsers below the screen and places the
// strip. Loaded under an open menu the slots are not sent anywhere and the address box is empty.
TEST(ImageForm, LoadSetsUpTheWindow) {
  for (const bool menuOpen : {false, true}) {
    SCOPED_TRACE(menuOpen);
    fake::Harness h;
    h.program.menuOpen = menuOpen;
    h.window().move(0, 0, 9600, 7200);  // its design size
    Form_Load(h.program);
    auto& w = h.window();
    EXPECT_EQ(w.caption(), "Quorel v2.0 - ");
    EXPECT_EQ(fake::Box(w), "0,0 15360x11520");
    EXPECT_EQ(w.backColor, 0u);
    EXPECT_TRUE(w.maximized);
    EXPECT_EQ(w.recovery.interval(), 30000);
    EXPECT_EQ(w.time.interval(), 1000);
    EXPECT_EQ(w.next.interval(), 5000);
    EXPECT_TRUE(w.recovery.enabled());
    EXPECT_TRUE(w.time.enabled());
    EXPECT_EQ(w.next.enabled(), !menuOpen);  // the slots' about:blank loads armed it
    EXPECT_TRUE(h.platform.hooks.procedure);
    EXPECT_EQ(h.program.badLinks.size(), 58u);
    EXPECT_EQ(h.program.settings.AutosavePath, h.platform.picturesFolder());  // the defaults
    EXPECT_EQ(fake::Box(h.work()), "6360,12120 9000x1500");  // parked below the screen
    EXPECT_TRUE(h.work().silent());
    EXPECT_TRUE(h.work().visible());
    // The version request is the program's own, so it may reach the link server.
    EXPECT_EQ(h.work().ownNavigations, menuOpen
                                           ? std::vector<std::string>{}
                                           : std::vector{VendorUrl("/quorel/bin/version.asp")});
    EXPECT_EQ(w.logo.picture(), platform::Picture::LogoOut);
    EXPECT_EQ(w.clockLabel.width(), 2000);
    EXPECT_FALSE(w.clockLabel.autoSize());
    EXPECT_EQ(fake::Box(w.addressBox), std::to_string(2000 + w.clockLabel.left() + 90) + "," +
                                           std::to_string(w.height() - w.addressBox.height()) +
                                           " 15360x285");
    EXPECT_EQ(w.addressBox.text(), menuOpen ? "" : " about:blank");
    EXPECT_EQ(h.shown().size(), menuOpen ? 0u : 10u);
    for (int k = 0; k < 10; ++k) {
      EXPECT_EQ(fake::Box(h.browser(k)), "0,12120 3000x3000") << k;
      EXPECT_TRUE(h.browser(k).silent()) << k;
      EXPECT_EQ(h.picbox(k).top(), w.height() + 600) << k;
      const SlotInfo& info = h.program.slotInfo[static_cast<std::size_t>(k)];
      EXPECT_EQ(info.depth, menuOpen ? 0 : -3) << k;
      EXPECT_EQ(info.picUrl, "") << k;
      EXPECT_EQ(info.siteUrl, "") << k;
    }
    EXPECT_EQ(h.program.nextSlot, 0);
  }
}

// Start-up records the time and shows the window, both dialogs loaded but hidden; unloading
// stops everything (the completions still queued then are the display's and work page's
// unloading rows).
TEST(Startup, ShowsTheWindowAndUnloadStopsEverything) {
  fake::Harness h;
  h.program.menuOpen = h.program.navPending = true;
  EXPECT_FALSE(Startup(h.program, "").has_value());
  EXPECT_EQ(h.program.startTime, h.platform.clock_.now());
  EXPECT_EQ(h.program.lastActivity, h.platform.clock_.now());
  EXPECT_FALSE(h.program.menuOpen);
  EXPECT_TRUE(h.window().shown);
  EXPECT_TRUE(h.program.options->IsLoaded());
  EXPECT_TRUE(h.program.message->IsLoaded());
  // The timers reach their handlers: a stalled crawl is recovered, the clock written.
  h.program.settings.DebugMode = true;
  h.program.lastActivity -= std::chrono::minutes(1);
  h.window().recovery.fire();
  h.window().time.fire();
  EXPECT_TRUE(h.logged("[RecoveryTimer] hmm..."));
  EXPECT_NE(h.window().clockLabel.caption(), "");
  h.window().close();
  EXPECT_TRUE(h.program.unloading);
  EXPECT_FALSE(h.window().next.enabled());
  EXPECT_FALSE(h.window().time.enabled());
  EXPECT_FALSE(h.window().recovery.enabled());
  EXPECT_FALSE(h.platform.hooks.procedure);
  EXPECT_EQ(h.platform.endStatus, 0);
}

// The caption names the version before the text.
TEST(ImageForm, SetCaptionNamesTheVersion) {
  fake::Harness h;
  SetCaption(h.program, "x");
  EXPECT_EQ(h.window().caption(), "Quorel v2.0 - x");
}

enum class Start { Slideshow, Preview, OptionsAlone };

// Only the slideshow creates the main window; the switch is the first two characters folded
// to lower case.
TEST(Startup, TheSwitchChoosesWhatStarts) {
  const struct {
    const char* name;
    std::string line;
    Start start;
  } rows[] = {
      {.name = "no switch", .line = "", .start = Start::Slideshow},
      {.name = "/S", .line = "/S", .start = Start::Slideshow},
      {.name = "a blank first", .line = " /p", .start = Start::Slideshow},
      {.name = "a slash alone", .line = "/", .start = Start::Slideshow},
      {.name = "/p", .line = "/p", .start = Start::Preview},
      {.name = "/p and a window", .line = "/p 1234", .start = Start::Preview},
      {.name = "/P: and a window", .line = "/P:123", .start = Start::Preview},
      {.name = "/c", .line = "/c", .start = Start::OptionsAlone},
      {.name = "/C: and a window", .line = "/C:4567", .start = Start::OptionsAlone},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    fake::Harness h;
    const auto status = Startup(h.program, r.line);
    const bool slideshow = r.start == Start::Slideshow, options = r.start == Start::OptionsAlone;
    EXPECT_EQ(status, slideshow ? std::nullopt : std::optional(0));
    EXPECT_EQ(h.platform.mainWindowCreated(), slideshow);
    EXPECT_EQ(h.platform.random_.seeds, 1);
    EXPECT_TRUE(h.platform.dialogs_.messageBoxes.empty());
    EXPECT_EQ(h.platform.options.modalShows, options ? 1 : 0);
    EXPECT_EQ(h.platform.options.left, options ? (1024 * 15 - 5295) / 2 : 0);  // centred
  }
}

// A second copy is refused whatever its switch: it says so and creates nothing.
TEST(Startup, ASecondCopyIsRefused) {
  for (const std::string line : {"", "/p", "/c"}) {
    SCOPED_TRACE("switch \"" + line + "\"");
    fake::Harness h;
    h.platform.otherInstance = true;
    EXPECT_EQ(Startup(h.program, line), std::optional(0));
    EXPECT_FALSE(h.platform.mainWindowCreated());
    EXPECT_EQ(h.platform.random_.seeds, 1);
    EXPECT_EQ(h.platform.dialogs_.messageBoxes,
              (std::vector<fake::MessageBoxCall>{{"Quorel is already running.", "Whoa"}}));
    EXPECT_EQ(h.platform.options.modalShows, 0);
  }
}

}  // namespace
