#include "display/slideshow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/image_form.h"
#include "platform/browser.h"
#include "support/harness.h"

namespace {

using Lines = std::vector<std::string>;

TEST(NextTimer, FiresOnceAndStartsACrawlOnlyWhenNoneIsUnderWay) {
  for (const bool navPending : {false, true}) {
    fake::Wired h;
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

}  // namespace
