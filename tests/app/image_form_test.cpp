#include "app/image_form.h"

#include <gtest/gtest.h>

#include <optional>
#include <tuple>

#include "app/startup.h"
#include "app/vendor.h"
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
    EXPECT_EQ(std::make_tuple(w.recovery.interval(), w.time.interval(), w.next.interval()),
              std::make_tuple(30000, 1000, 5000));
    EXPECT_TRUE(w.recovery.enabled() && w.time.enabled());
    EXPECT_EQ(w.next.enabled(), !menuOpen);  // the slots' about:blank loads armed it
    EXPECT_TRUE(h.platform.hooks.procedure);
    EXPECT_EQ(h.program.badLinks.size(), 58u);
    EXPECT_EQ(h.program.settings.AutosavePath, h.platform.picturesFolder());  // the defaults
    EXPECT_EQ(fake::Box(h.work()), "6360,12120 9000x1500");  // parked below the screen
    EXPECT_TRUE(h.work().silent() && h.work().visible());
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
      EXPECT_EQ(info.picUrl + info.siteUrl, "") << k;
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
  EXPECT_TRUE(h.window().shown && h.program.options->IsLoaded() && h.program.message->IsLoaded());
  // The timers reach their handlers: a stalled crawl is recovered, the clock written.
  h.program.settings.DebugMode = true;
  h.program.lastActivity -= std::chrono::minutes(1);
  h.window().recovery.fire();
  h.window().time.fire();
  EXPECT_TRUE(h.logged("[RecoveryTimer] hmm..."));
  EXPECT_NE(h.window().clockLabel.caption(), "");
  h.window().close();
  EXPECT_TRUE(h.program.unloading);
  EXPECT_FALSE(h.window().next.enabled() || h.window().time.enabled() ||
               h.window().recovery.enabled());
  EXPECT_FALSE(h.platform.hooks.procedure);
  EXPECT_EQ(h.platform.endStatus, 0);
}

// Only the slideshow creates the main window; the switch is the first two characters
// folded to lower case. A second copy is refused whatever its arguments.
TEST(Startup, SwitchesAndASecondCopy) {
  const std::tuple<const char*, bool, bool> rows[] = {
      {"", false, true},        {"/S", false, true},  {" /p", false, true},
      {"/", false, true},       {"/p", false, false}, {"/p 1234", false, false},
      {"/P:123", false, false}, {"/c", false, false}, {"/C:4567", false, false},
      {"", true, false},        {"/p", true, false},  {"/c", true, false}};
  for (const auto& [line, another, slideshow] : rows) {
    SCOPED_TRACE(std::string(line) + (another ? ", another running" : ""));
    fake::Harness h;
    h.platform.otherInstance = another;
    const auto status = Startup(h.program, line);
    EXPECT_EQ(status, slideshow ? std::nullopt : std::optional(0));
    EXPECT_EQ(h.platform.mainWindowCreated(), slideshow);
    EXPECT_EQ(h.platform.random_.seeds, 1);
    using Boxes = std::vector<fake::MessageBoxCall>;
    const Boxes refusal = {{"Quorel is already running.", "Whoa"}};
    EXPECT_EQ(h.platform.dialogs_.messageBoxes, another ? refusal : Boxes{});
    const std::string head = std::string(line).substr(0, 2);  // "/c" shows the options alone
    const bool options = !another && (head == "/c" || head == "/C");
    EXPECT_EQ(h.platform.options.modalShows, options ? 1 : 0);
    EXPECT_EQ(h.platform.options.left, options ? (1024 * 15 - 5295) / 2 : 0);  // centred
  }
}

}  // namespace
