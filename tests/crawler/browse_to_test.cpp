#include "crawler/browse_to.h"

#include <gtest/gtest.h>

#include <tuple>

#include "app/vb_text.h"
#include "app/vendor.h"
#include "crawler/next_url.h"
#include "platform/browser.h"
#include "support/harness.h"

namespace {

using Crawl = fake::Wired;
using fake::Page;
using Lines = std::vector<std::string>;

TEST(BrowseTo, StartsOneNavigationAtATime) {
  const std::string page = "http://site.example/p.html";
  const std::string anchored = "http://site.example/p.html#top";
  // The state, the address, the one status line ("" for none), what it does.
  const std::tuple<bool, bool, bool, std::string, std::string, bool, bool> rows[] = {
      {false, false, false, page, "[BrowseTo (depth=4)] " + page, true, true},
      {false, false, false, "", "", false, false},
      {true, false, false, page, "", false, false},
      {false, true, false, page, "", false, false},
      {false, false, true, page, "[WTF] BrowseTo called before complete", false, true},
      {false, false, false, anchored, "[BrowseTo (depth=4)] " + anchored, false, false},
  };
  for (const auto& [unloading, menuOpen, pending, url, status, navigates, pendingAfter] : rows) {
    SCOPED_TRACE(url + status);
    Crawl h;
    h.program.depth = 4;
    h.program.unloading = unloading;
    h.program.menuOpen = menuOpen;
    h.program.navPending = pending;
    BrowseTo(h.program, url);

    EXPECT_EQ(h.status(), status.empty() ? Lines{} : Lines{status});
    EXPECT_EQ(h.work().navigations, navigates ? Lines{url} : Lines{});
    EXPECT_TRUE(h.work().ownNavigations.empty());  // an address from a page
    EXPECT_EQ(h.work().silent(), navigates);
    EXPECT_EQ(h.program.navPending, pendingAfter);
    // The address line shows every address that got as far as being logged.
    const bool shownInBox = status.rfind("[BrowseTo", 0) == 0;
    EXPECT_EQ(h.window().addressBox.text() == " " + url, shownInBox);
    EXPECT_TRUE(h.traced("BrowseTo"));
  }
}

// A failed navigation is cancelled and logged; the work browser's starts a fresh crawl from
// the link list, a display browser's hides its slot.
TEST(BrowserEvents, NavigationErrors) {
  const std::pair<std::int32_t, std::string> rows[] = {
      {platform::kServerNotFound, "cannot find server"},
      {platform::kObjectNotFound, "404"},
      {404, "404"},
      {static_cast<std::int32_t>(0x800C000Eu), "unhandled error -2146697202"}};
  for (const auto& [code, line] : rows) {
    SCOPED_TRACE(line);
    Crawl h;
    h.program.navPending = true;
    h.program.depth = 2;
    const std::string links = VendorUrl("/quorel/bin/getlinks.asp");
    EXPECT_TRUE(h.work().fail(code, "http://site.example/gone.html"));
    EXPECT_EQ(h.program.depth, -1);
    EXPECT_EQ(h.work().navigations, Lines{links});
    EXPECT_TRUE(h.program.navPending);  // the new request is under way
    EXPECT_TRUE(h.traced("workBroswer_NavigateError"));
    EXPECT_TRUE(h.browser(6).fail(code, "http://site.test/x.jpg"));
    EXPECT_EQ(h.status(), (Lines{"[NavError] " + line, "[BrowseTo (depth=-1)] " + links,
                                 "[NavError-B] " + line}));
    EXPECT_FALSE(h.program.navPending);
    EXPECT_FALSE(h.picbox(6).visible());
    EXPECT_TRUE(h.picbox(5).visible());
  }
}

// Pop-ups are refused; the page may also have blown browsers up to the screen. The work
// browser's checks every browser, a slot's only its own.
TEST(BrowserEvents, PopUpsAreRefusedAndBrowserSizesRepaired) {
  for (const bool silent : {true, false}) {
    Crawl h;
    h.work().setSilent(silent);
    h.browser(9).setHeight(h.platform.screen().height());
    // The work browser dragged into view, hidden and sent back: parked again, in front.
    h.program.workBrowserLeft = 6360;
    h.program.workBrowserTop = 12120;
    h.work().move(0, 0, 100, 11520);
    h.work().setVisible(false);
    h.work().zOrder(1);
    EXPECT_TRUE(h.work().requestNewWindow());
    EXPECT_EQ(h.status(), (Lines{std::string("[PopUp] killed (workBrowser, silent=") +
                                     (silent ? "True" : "False") + ")",
                                 "[B-Bastards!] resize height 11520 -> 1500"}));
    EXPECT_EQ(fake::Box(h.work()), "6360,12120 9000x1500");
    EXPECT_TRUE(h.work().visible() && h.work().silent());
    EXPECT_EQ(h.window().stacking.order.back(), &h.work());
  }
  Crawl h;
  h.browser(2).setHeight(h.platform.screen().height());
  h.browser(3).setHeight(h.platform.screen().height());
  h.work().setHeight(5000);
  EXPECT_TRUE(h.browser(2).requestNewWindow());
  EXPECT_EQ(h.status(), (Lines{"[PopUp] 2 killed", "[B-Bastards!] resize height 11520 -> 1500"}));
  EXPECT_EQ(h.browser(3).height(), 11520);
  EXPECT_EQ(h.work().height(), 5000);
}

TEST(RecoveryTimer, RecoversOnlyAfterMoreThanThirtyIdleSecondsWithNoMenuOpen) {
  // Idle milliseconds (30.999 s is still 30 whole seconds), menu open, recovers.
  const std::tuple<int, bool, bool> rows[] = {
      {30000, false, false}, {30999, false, false}, {31000, false, true}, {600000, true, false}};
  for (const auto& [idle, menuOpen, recovers] : rows) {
    SCOPED_TRACE(idle);
    Crawl h;
    h.program.navPending = true;
    h.program.menuOpen = menuOpen;
    h.program.lastActivity = h.program.now() - std::chrono::milliseconds(idle);
    h.browser(3).failQuit = true;  // one control refusing does not stop the others
    recoveryTimer_Timer(h.program);

    EXPECT_EQ(h.status(), recovers ? Lines{"[RecoveryTimer] hmm..."} : Lines{});
    EXPECT_EQ(h.work().quitCalls, recovers ? 1 : 0);
    for (int k = 0; k < 10; ++k) EXPECT_EQ(h.browser(k).quitCalls, recovers ? 1 : 0) << k;
    EXPECT_EQ(h.program.navPending, !recovers);
    EXPECT_EQ(h.pacingArmed(), recovers);
    EXPECT_EQ(h.program.lastActivity == h.program.now(), recovers);
    EXPECT_TRUE(h.traced("recoveryTimer_Timer"));
  }
}

const std::string kGoogle =
    "http://" + std::string(kSearchHosts[0]) + "/images?hl=en&lr=&ie=UTF-8&oe=UTF-8&q=";
const std::string kAllTheWeb =
    "http://" + std::string(kSearchHosts[1]) + "/search?avkw=fogg&cat=img&cs=utf-8&q=";
const std::string kYahoo = "http://" + std::string(kSearchHosts[2]) + "/search/images?p=";
const std::string kYahooTail = "&ei=UTF-8&fr=fp-tab-img-t&cop=mss&tab=3";

TEST(NextUrl, ChoosesTheTargetByPhraseDrawAndMode) {
  // The case, the phrase, the draw, adult mode, the address navigated ("" for none), the depth.
  const std::string links = VendorUrl("/quorel/bin/getlinks.asp");
  const std::tuple<const char*, std::string, float, bool, std::string, int> rows[] = {
      {"link list", "", 0.5f, false, links, -1},
      {"adult link list", "", 0.5f, true, links + "?mode=adult", -1},
      {"2r at 0.5 is Google", "red cars", 0.25f, false, kGoogle + "red+cars&sa=N&tab=wi", 3},
      {"just above 0.5 is AllTheWeb", "red cars", 0.26f, false, kAllTheWeb + "red+cars", 3},
      {"just below 1.5 is AllTheWeb", "red cars", 0.74f, false, kAllTheWeb + "red+cars", 3},
      {"2r at 1.5 is Yahoo", "red cars", 0.75f, false, kYahoo + "red+cars" + kYahooTail, 3},
      {"seven characters", "abc def", 0.5f, false, kAllTheWeb + "abc+def", 3},
      {"six characters", "abcdef", 0.5f, false, "", 7},
      {"six characters in eight bytes", "\xC3\xA9t\xC3\xA9 ab", 0.5f, false, "", 7},
  };
  for (const auto& [name, given, draw, adult, url, depth] : rows) {
    SCOPED_TRACE(name);
    Crawl h;
    h.program.settings.AdultMode = adult;
    h.program.depth = 7;
    h.program.startUrl = "before";
    h.program.phrase = "pending";
    h.platform.random_.script({draw});
    std::string phrase = given;
    NextUrl(h.program, phrase);

    EXPECT_EQ(h.program.depth, depth);
    EXPECT_TRUE(h.program.phrase.empty());
    if (url.empty()) {
      EXPECT_TRUE(h.work().navigations.empty());
      EXPECT_EQ(h.program.startUrl, "before");
      EXPECT_EQ(h.status(), Lines{"[NextUrl] phrase too short"});
      continue;
    }
    // Our own search addresses must never trip the bad-link list, and may reach the link server.
    EXPECT_EQ(h.work().navigations, Lines{url});
    EXPECT_EQ(h.work().ownNavigations, Lines{url});
    EXPECT_EQ(h.program.startUrl, url);
    Lines expected;
    EXPECT_EQ(phrase, vb::Replace(given, " ", "+"));  // the caller's, "+"-joined
    if (!given.empty()) expected.push_back("[NextURL] phrase=" + phrase + ", url=" + url);
    expected.push_back("[BrowseTo (depth=" + std::to_string(depth) + ")] " + url);
    EXPECT_EQ(h.status(), expected);
    EXPECT_EQ(h.platform.random_.draws, given.empty() ? 0 : 1);
  }
}

// Called with the pending phrase itself: it goes to the search, then is empty.
TEST(NextUrl, ThePendingPhraseItselfIsSearched) {
  Crawl h;
  h.program.phrase = "green hills";
  h.platform.random_.script({0.5f});
  NextUrl(h.program, h.program.phrase);
  EXPECT_TRUE(h.program.phrase.empty());
  EXPECT_EQ(h.work().navigations, std::vector<std::string>{kAllTheWeb + "green+hills"});
  EXPECT_TRUE(h.traced("NextUrl"));
}

}  // namespace
