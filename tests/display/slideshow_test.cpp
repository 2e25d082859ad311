#include "display/slideshow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/image_form.h"
#include "platform/browser.h"
#include "support/harness.h"

namespace {

using Lines = std::vector<std::string>;

struct Bound : fake::Harness {
  Bound() {
    debug();
    BindFormEvents(program);
  }
};

TEST(NextTimer, FiresOnceAndStartsACrawlOnlyWhenNoneIsUnderWay) {
  for (const bool navPending : {false, true}) {
    Bound h;
    auto& timer = h.program.nextTimer();
    timer.setInterval(5000);
    timer.setEnabled(true);
    h.program.navPending = navPending;
    h.platform.advance(std::chrono::milliseconds(4999));
    EXPECT_EQ(h.window().next.fired, 0);
    h.platform.advanceSeconds(1);
    EXPECT_EQ(h.window().next.fired, 1);
    EXPECT_FALSE(timer.enabled()) << "one-shot: disarmed by its own tick";
    // A link-list crawl, not a search.
    EXPECT_EQ(h.status(),
              navPending ? Lines{} : Lines{"[BrowseTo (depth=-1)] " + h.program.startUrl});
  }
}

TEST(DisplayBrowser, NavigationErrorsAreLoggedCancelledAndHideTheSlot) {
  const std::pair<std::int32_t, std::string> rows[] = {
      {platform::kServerNotFound, "cannot find server"},
      {platform::kObjectNotFound, "404"},
      {404, "404"},
      {500, "unhandled error 500"},
      {static_cast<std::int32_t>(0x800C000Eu), "unhandled error -2146697202"},
  };
  for (const auto& [status, line] : rows) {
    Bound h;
    h.program.navPending = true;
    EXPECT_TRUE(h.browser(6).fail(status, "http://site.test/x.jpg"));
    EXPECT_EQ(h.status(), Lines{"[NavError-B] " + line});
    EXPECT_FALSE(h.program.navPending);
    EXPECT_FALSE(h.picbox(6).visible());
    EXPECT_TRUE(h.picbox(5).visible());
  }
}

TEST(DisplayBrowser, PopUpsAreRefusedAndTheBrowserSizeRepaired) {
  Bound h;
  h.browser(2).setHeight(h.platform.screen_.heightTwips);
  h.work().setHeight(5000);
  EXPECT_TRUE(h.browser(2).requestNewWindow());
  EXPECT_EQ(h.status(), (Lines{"[PopUp] 2 killed", "[B-Bastards!] resize height 11520 -> 1500"}));
  EXPECT_EQ(h.browser(2).height(), 1500);
  EXPECT_EQ(h.work().height(), 5000) << "a slot's pop-up leaves the work browser alone";
}

}  // namespace
