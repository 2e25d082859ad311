#include "crawler/browse_to.h"

#include <gtest/gtest.h>

#include <optional>

#include "core/vb_text.h"
#include "core/vendor.h"
#include "crawler/next_url.h"
#include "platform/browser.h"
#include "support/harness.h"

namespace {

using Crawl = fake::Wired;
using fake::Page;
using Lines = std::vector<std::string>;

const std::string kPage = "http://site.example/p.html";

TEST(BrowseTo, StartsOneNavigationAtATime) {
  struct Row {
    const char* name;
    bool unloading = false, menuOpen = false, pending = false;
    std::string url = kPage;
    std::optional<std::string> status = std::nullopt;  // the one status line
    bool navigates = false, pendingAfter = false;
  };
  const Row rows[] = {
      {.name = "an address",
       .status = "[BrowseTo (depth=4)] " + kPage,
       .navigates = true,
       .pendingAfter = true},
      {.name = "no address", .url = ""},
      {.name = "while closing", .unloading = true},
      {.name = "under a menu", .menuOpen = true},
      {.name = "while another is under way",
       .pending = true,
       .status = "[WTF] BrowseTo called before complete",
       .pendingAfter = true},
      {.name = "a bad link",
       .url = kPage + "#top",
       .status = "[BrowseTo (depth=4)] " + kPage + "#top"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    Crawl h;
    h.program.depth = 4;
    h.program.unloading = r.unloading;
    h.program.menuOpen = r.menuOpen;
    h.program.navPending = r.pending;
    BrowseTo(h.program, r.url);

    EXPECT_EQ(h.status(), r.status ? Lines{*r.status} : Lines{});
    EXPECT_EQ(h.work().navigations, r.navigates ? Lines{r.url} : Lines{});
    EXPECT_TRUE(h.work().ownNavigations.empty());  // an address from a page
    EXPECT_EQ(h.work().silent(), r.navigates);
    EXPECT_EQ(h.program.navPending, r.pendingAfter);
    // The address line shows every address that got as far as being logged; otherwise it keeps
    // its text (here the one it was designed with).
    const bool logged = r.status && r.status->starts_with("[BrowseTo");
    EXPECT_EQ(h.window().addressBox.text(), logged ? " " + r.url : "urlBox");
  }
}

// A failed navigation is cancelled and logged; the work browser's starts a fresh crawl from
// the link list, a display browser's hides its slot.
TEST(BrowserEvents, NavigationErrors) {
  const struct {
    const char* name;
    std::int32_t status;
    std::string line;  // the failure as logged
  } rows[] = {
      {.name = "no server", .status = platform::kServerNotFound, .line = "cannot find server"},
      {.name = "no object", .status = platform::kObjectNotFound, .line = "404"},
      {.name = "HTTP 404", .status = 404, .line = "404"},
      {.name = "another failure",
       .status = static_cast<std::int32_t>(0x800C000Eu),
       .line = "unhandled error -2146697202"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    Crawl h;
    h.program.navPending = true;
    h.program.depth = 2;
    const std::string links = VendorUrl("/quorel/bin/getlinks.asp");
    EXPECT_TRUE(h.work().fail(r.status, "http://site.example/gone.html"));
    EXPECT_EQ(h.program.depth, -1);
    EXPECT_EQ(h.work().navigations, Lines{links});
    EXPECT_TRUE(h.program.navPending);  // the new request is under way
    const std::size_t traced = h.trace().size();
    EXPECT_TRUE(h.browser(6).fail(r.status, "http://site.test/x.jpg"));
    EXPECT_EQ(h.status(), (Lines{"[NavError] " + r.line, "[BrowseTo (depth=-1)] " + links,
                                 "[NavError-B] " + r.line}));
    EXPECT_FALSE(h.program.navPending);
    EXPECT_FALSE(h.picbox(6).visible());
    EXPECT_TRUE(h.picbox(5).visible());
    EXPECT_EQ(h.trace().at(traced), "browser_NavigateError IN");
    EXPECT_EQ(h.trace().back(), "browser_NavigateError OUT");
  }
}

// Pop-ups are refused; the page may also have blown browsers up to the screen. The work
// browser's checks every browser, a slot's only its own.
TEST(BrowserEvents, PopUpsAreRefusedAndBrowserSizesRepaired) {
  for (const bool silent : {true, false}) {
    SCOPED_TRACE(silent ? "silent" : "not silent");
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
    EXPECT_EQ(h.trace().front(), "workBroswer_NewWindow2 IN");
    EXPECT_EQ(h.trace().back(), "workBroswer_NewWindow2 OUT");
    EXPECT_EQ(fake::Box(h.work()), "6360,12120 9000x1500");
    EXPECT_TRUE(h.work().visible());
    EXPECT_TRUE(h.work().silent());
    EXPECT_EQ(h.window().stacking.order.back(), &h.work());
  }
  Crawl h;
  h.browser(2).setHeight(h.platform.screen().height());
  h.browser(3).setHeight(h.platform.screen().height());
  h.work().setHeight(5000);
  EXPECT_TRUE(h.browser(2).requestNewWindow());
  EXPECT_EQ(h.status(), (Lines{"[PopUp] 2 killed", "[B-Bastards!] resize height 11520 -> 1500"}));
  EXPECT_EQ(h.trace(),
            (Lines{"browser_NewWindow2 IN", "AddStatus IN", "AddStatus OUT", "ResizeBrowsers IN",
                   "ResizeIBrowser IN", "AddStatus IN", "AddStatus OUT", "ResizeIBrowser OUT",
                   "ResizeBrowsers OUT", "browser_NewWindow2 OUT"}));
  EXPECT_EQ(h.browser(3).height(), 11520);
  EXPECT_EQ(h.work().height(), 5000);
}

// 30.999 idle seconds are still 30 whole ones. One control refusing to stop does not keep the
// others going.
TEST(RecoveryTimer, RecoversOnlyAfterMoreThanThirtyIdleSecondsWithNoMenuOpen) {
  struct Row {
    const char* name;
    int idleMs;
    bool menuOpen = false;
    bool recovers;
  };
  const Row rows[] = {
      {.name = "thirty seconds", .idleMs = 30000, .recovers = false},
      {.name = "just under thirty-one", .idleMs = 30999, .recovers = false},
      {.name = "thirty-one", .idleMs = 31000, .recovers = true},
      {
          .name = "ten minutes under a menu",
          .idleMs = 600000,
          .menuOpen = true,
          .recovers = false,
      },
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    Crawl h;
    h.program.navPending = true;
    h.program.menuOpen = r.menuOpen;
    const auto lastActivity = h.program.now() - std::chrono::milliseconds(r.idleMs);
    h.program.lastActivity = lastActivity;
    h.browser(3).failQuit = true;
    recoveryTimer_Timer(h.program);

    EXPECT_EQ(h.status(), r.recovers ? Lines{"[RecoveryTimer] hmm..."} : Lines{});
    EXPECT_EQ(h.work().quitCalls, r.recovers ? 1 : 0);
    for (int k = 0; k < 10; ++k) EXPECT_EQ(h.browser(k).quitCalls, r.recovers ? 1 : 0) << k;
    EXPECT_EQ(h.program.navPending, !r.recovers);
    EXPECT_EQ(h.pacingArmed(), r.recovers);
    EXPECT_EQ(h.program.lastActivity, r.recovers ? h.program.now() : lastActivity);
  }
}

const std::string kGoogle =
    "http://" + std::string(kSearchHosts[0]) + "/images?hl=en&lr=&ie=UTF-8&oe=UTF-8&q=";
const std::string kAllTheWeb =
    "http://" + std::string(kSearchHosts[1]) + "/search?avkw=fogg&cat=img&cs=utf-8&q=";
const std::string kYahoo = "http://" + std::string(kSearchHosts[2]) + "/search/images?p=";
const std::string kYahooTail = "&ei=UTF-8&fr=fp-tab-img-t&cop=mss&tab=3";

// Each navigation from NextUrl starts from this state.
struct Next : Crawl {
  Next() {
    program.depth = 7;
    program.startUrl = "before";
    program.phrase = "pending";
  }
};

// No phrase: the link list, its adult form in adult mode; nothing is drawn.
TEST(NextUrl, WithoutAPhraseAsksForTheLinkList) {
  const std::string links = VendorUrl("/quorel/bin/getlinks.asp");
  const struct {
    const char* name;
    bool adult;
    std::string url;
  } rows[] = {
      {.name = "link list", .adult = false, .url = links},
      {.name = "adult link list", .adult = true, .url = links + "?mode=adult"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    Next h;
    h.program.settings.AdultMode = r.adult;
    std::string phrase;
    NextUrl(h.program, phrase);
    EXPECT_EQ(h.program.depth, -1);
    EXPECT_TRUE(h.program.phrase.empty());
    EXPECT_EQ(h.work().navigations, Lines{r.url});
    EXPECT_EQ(h.work().ownNavigations, Lines{r.url});  // ours: it may reach the link server
    EXPECT_EQ(h.program.startUrl, r.url);
    EXPECT_EQ(h.status(), Lines{"[BrowseTo (depth=-1)] " + r.url});
    EXPECT_EQ(h.platform.random_.draws, 0);
  }
}

// A phrase of seven characters or more goes to a search engine chosen by rounding 2r half to
// even; the caller's phrase is "+"-joined. Our own search addresses never trip the bad links.
TEST(NextUrl, APhraseGoesToTheSearchTheDrawChooses) {
  struct Row {
    const char* name;
    std::string phrase = "red cars";
    float draw;
    std::string url;
  };
  const Row rows[] = {
      {.name = "2r at 0.5 is Google", .draw = 0.25f, .url = kGoogle + "red+cars&sa=N&tab=wi"},
      {.name = "just above 0.5 is AllTheWeb", .draw = 0.26f, .url = kAllTheWeb + "red+cars"},
      {.name = "just below 1.5 is AllTheWeb", .draw = 0.74f, .url = kAllTheWeb + "red+cars"},
      {.name = "2r at 1.5 is Yahoo", .draw = 0.75f, .url = kYahoo + "red+cars" + kYahooTail},
      {.name = "seven characters",
       .phrase = "abc def",
       .draw = 0.5f,
       .url = kAllTheWeb + "abc+def"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    Next h;
    h.platform.random_.script({r.draw});
    std::string phrase = r.phrase;
    NextUrl(h.program, phrase);
    EXPECT_EQ(h.program.depth, 3);
    EXPECT_TRUE(h.program.phrase.empty());
    EXPECT_EQ(h.work().navigations, Lines{r.url});
    EXPECT_EQ(h.work().ownNavigations, Lines{r.url});  // ours: it may reach the link server
    EXPECT_EQ(h.program.startUrl, r.url);
    EXPECT_EQ(phrase, vb::Replace(r.phrase, " ", "+"));
    EXPECT_EQ(h.status(), (Lines{"[NextURL] phrase=" + phrase + ", url=" + r.url,
                                 "[BrowseTo (depth=3)] " + r.url}));
    EXPECT_EQ(h.platform.random_.draws, 1);
  }
}

// Characters, not bytes, are counted; a phrase too short changes nothing but the pending one.
TEST(NextUrl, APhraseUnderSevenCharactersIsDropped) {
  const struct {
    const char* name;
    std::string phrase;
  } rows[] = {
      {.name = "six characters", .phrase = "abcdef"},
      {.name = "six characters in eight bytes", .phrase = "\xC3\xA9t\xC3\xA9 ab"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    Next h;
    std::string phrase = r.phrase;
    NextUrl(h.program, phrase);
    EXPECT_EQ(h.program.depth, 7);
    EXPECT_TRUE(h.program.phrase.empty());
    EXPECT_TRUE(h.work().navigations.empty());
    EXPECT_EQ(h.program.startUrl, "before");
    EXPECT_EQ(h.status(), Lines{"[NextUrl] phrase too short"});
    EXPECT_EQ(h.platform.random_.draws, 0);
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
}

}  // namespace
