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
  struct Row {
    bool navPending;
    std::size_t crawls;
  } rows[] = {{false, 1}, {true, 0}};
  for (const Row& r : rows) {
    fake::Harness h;
    BindFormEvents(h.program);
    auto& timer = h.program.nextTimer();
    timer.setInterval(5000);
    timer.setEnabled(true);
    h.program.navPending = r.navPending;

    h.platform.advance(std::chrono::milliseconds(4999));
    EXPECT_EQ(h.window().next.fired, 0);
    h.platform.advanceSeconds(1);
    EXPECT_EQ(h.window().next.fired, 1);
    EXPECT_FALSE(timer.enabled()) << "one-shot: disarmed by its own tick";
    EXPECT_EQ(h.work().navigations.size(), r.crawls) << "navPending " << r.navPending;
    if (r.crawls) {
      EXPECT_EQ(h.program.depth, -1) << "a link-list crawl, not a search";
    }
  }
}

TEST(UpdateUrlBox, OneSpaceBeforeTheAddress) {
  const std::pair<std::string, std::string> rows[] = {
      {"", " "}, {"about:blank", " about:blank"}, {"http://a/b c", " http://a/b c"}};
  for (const auto& [url, text] : rows) {
    fake::Harness h;
    UpdateUrlBox(h.program, url);
    EXPECT_EQ(h.window().urlBox().text(), text);
  }
}

TEST(DisplayBrowser, NavigationErrorsAreLoggedCancelledAndHideTheSlot) {
  const std::pair<std::int32_t, std::string> rows[] = {
      {platform::kServerNotFound, "[NavError-B] cannot find server"},
      {platform::kObjectNotFound, "[NavError-B] 404"},
      {404, "[NavError-B] 404"},
      {500, "[NavError-B] unhandled error 500"},
      {static_cast<std::int32_t>(0x800C000Eu), "[NavError-B] unhandled error -2146697202"},
  };
  for (const auto& [status, line] : rows) {
    fake::Harness h;
    h.debug();
    BindFormEvents(h.program);
    h.program.navPending = true;
    EXPECT_TRUE(h.browser(6).fail(status, "http://site.test/x.jpg"));
    EXPECT_EQ(h.status(), Lines{line});
    EXPECT_FALSE(h.program.navPending);
    EXPECT_FALSE(h.picbox(6).visible());
    EXPECT_TRUE(h.picbox(5).visible());
  }
}

TEST(DisplayBrowser, PopUpsAreRefusedAndTheBrowserSizeRepaired) {
  fake::Harness h;
  h.debug();
  BindFormEvents(h.program);
  h.browser(2).setHeight(h.platform.screen_.heightTwips);
  h.work().setHeight(5000);
  EXPECT_TRUE(h.browser(2).requestNewWindow());
  const Lines lines = h.status();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "[PopUp] 2 killed");
  EXPECT_EQ(h.browser(2).height(), 1500);
  EXPECT_EQ(h.work().height(), 5000) << "a slot's pop-up leaves the work browser alone";
}

TEST(SetBrowser, RaisesOrLowersOnlyTheStacking) {
  fake::Harness h;
  h.picbox(4).setVisible(false);
  SetBrowser(h.program, 4, true);
  EXPECT_EQ(h.slotStack().back(), '4');
  SetBrowser(h.program, 4, false);
  EXPECT_EQ(h.slotStack().front(), '4');
  EXPECT_FALSE(h.picbox(4).visible());
}

}  // namespace
