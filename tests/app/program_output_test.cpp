// The debug logs are the program's own output: for each flow, every line of both, in order.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "app/image_form.h"
#include "core/vendor.h"
#include "interaction/image_menu.h"
#include "interaction/logo_menu.h"
#include "platform/browser.h"
#include "support/harness.h"

namespace {

using Lines = std::vector<std::string>;
using fake::Page;

Lines Joined(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Lines Repeated(int times, const Lines& lines) {
  Lines all;
  for (int i = 0; i < times; ++i) all.insert(all.end(), lines.begin(), lines.end());
  return all;
}

// The trace of the calls every flow makes, each written once.
const Lines kStatus = {"AddStatus IN", "AddStatus OUT"};  // around each status line
const Lines kCleanup = {"CleanupHTML IN", "CleanupHTML OUT"};
const Lines kBadLink = {"BadLink IN", "BadLink OUT"};
const Lines kGoodImage = {"GoodImage IN", "GoodImage OUT"};
const Lines kStrip = {"StripPunctuation IN", "StripPunctuation OUT"};
const Lines kResize = {"ResizeIBrowser IN", "ResizeIBrowser OUT"};
const Lines kBrowseTo = Joined({{"BrowseTo IN"},
                                kStatus,
                                {"UpdateUrlBox IN", "UpdateUrlBox OUT"},
                                kBadLink,
                                {"BrowseTo OUT"}});
const Lines kIBrowseTo = Joined({{"IBrowseTo IN"},
                                 kStatus,
                                 {"UpdateUrlBox IN", "UpdateUrlBox OUT"},
                                 kBadLink,
                                 {"IBrowseTo OUT"}});
// A page the work browser completed: its status line and its cleaning come first.
const Lines kWorkPageIn = Joined({{"workBroswer_DocumentComplete IN"}, kStatus, kCleanup});
const Lines kWorkPageOut = {"workBroswer_DocumentComplete OUT"};

constexpr int kRaise = 6;  // the image menu's entry, counted from 1 with its separators

const std::string kLinkList = VendorUrl("/quorel/bin/getlinks.asp");
// The search the fixed draws pick for "three four".
const std::string kSearch = "http://" + std::string(kSearchHosts[0]) +
                            "/images?hl=en&lr=&ie=UTF-8&oe=UTF-8&q=three+four&sa=N&tab=wi";

// A program after start-up; the size window starts at 100 x 100.
struct Flow : fake::Wired {
  Flow() { program.settings.MinImageWidth = program.settings.MinImageHeight = 100; }
  // The work browser completes a page read at the given depth (before its decrement).
  void crawl(int depth, std::shared_ptr<fake::FakeDocument> page) {
    program.depth = depth;
    program.navPending = true;
    work().complete(std::move(page));
  }
};

TEST(ProgramOutput, EachFlowLogsItsStatusAndTraceLines) {
  struct Row {
    const char* name;
    std::function<void(Flow&)> flow;
    Lines status;
    Lines trace;
  };
  const Row rows[] = {
      {
          .name = "the link list read",
          .flow =
              [](Flow& h) {
                auto list = Page(kLinkList);
                list->withText("http://site.test/start.html|3|http://code.test/");
                h.crawl(-1, list);
              },
          .status = {"[BrowseComplete (depth=-1)] " + kLinkList,
                     "[BrowseComplete] url=http://site.test/start.html, depth=3, "
                     "linkcode=http://code.test/",
                     "[BrowseTo (depth=3)] http://site.test/start.html"},
          .trace = Joined({kWorkPageIn, kStatus, kBrowseTo, kWorkPageOut}),
      },
      {
          .name = "a page of links: one followed",
          .flow =
              [](Flow& h) {
                h.platform.random_.script({0.5f});
                auto page = Page("http://site.test/links.html");
                page->withLinks({"http://site.test/a.html", "http://site.test/b.html"});
                h.crawl(3, page);
              },
          .status = {"[BrowseComplete (depth=3)] http://site.test/links.html",
                     "[BrowseTo (depth=2)] http://site.test/a.html"},
          .trace = Joined(
              {kWorkPageIn, {"GetLink IN"}, kBadLink, kBrowseTo, {"GetLink OUT"}, kWorkPageOut}),
      },
      {
          .name = "a search result's picture",
          .flow =
              [](Flow& h) {
                h.platform.random_.script({0.5f});
                const std::string result = "http://search.test/r?imgurl=pics.test/cat.jpg&h=2";
                auto page = Page("http://site.test/results.html");
                page->withLinks({result, result});
                h.crawl(3, page);
              },
          .status = {"[BrowseComplete (depth=3)] http://site.test/results.html",
                     "[I-BrowseTo] http://pics.test/cat.jpg"},
          .trace = Joined({kWorkPageIn,
                           {"GetLink IN"},
                           kBadLink,
                           {"GoodExtension IN", "GoodExtension OUT"},
                           kIBrowseTo,
                           {"GetLink OUT"},
                           kWorkPageOut}),
      },
      {
          .name = "a page with a picture in the size window",
          .flow =
              [](Flow& h) {
                auto page = Page("http://site.test/p.html");
                page->withImage("http://site.test/p.jpg", 200, 100);
                h.crawl(1, page);
              },
          .status = {"[BrowseComplete (depth=1)] http://site.test/p.html",
                     "[GetImage] there are 1 images",
                     "[GoodImage (0)] 200x100 (min: 100x100, max: 999999x999999) "
                     "http://site.test/p.jpg",
                     "[I-BrowseTo] http://site.test/p.jpg"},
          .trace = Joined({kWorkPageIn,
                           {"GetImage IN"},
                           kStatus,
                           kGoodImage,
                           kStatus,
                           kIBrowseTo,
                           {"GetImage OUT"},
                           kWorkPageOut}),
      },
      {
          .name = "a picture at a bad address",
          .flow =
              [](Flow& h) {
                auto page = Page("http://site.test/p.html");
                page->withImage("http://site.test/ads/p.jpg", 200, 100);
                h.crawl(0, page);
              },
          .status = {"[BrowseComplete (depth=0)] http://site.test/p.html",
                     "[I-BrowseTo] http://site.test/ads/p.jpg"},
          .trace = Joined({kWorkPageIn, kIBrowseTo, kWorkPageOut}),  // it ends after BadLink
      },
      {
          .name = "a lone picture outside the size window",
          .flow =
              [](Flow& h) {
                auto page = Page("http://site.test/p.html");
                page->withImage("http://site.test/p.jpg", 20, 10);
                h.crawl(1, page);
              },
          .status = {"[BrowseComplete (depth=1)] http://site.test/p.html",
                     "[GetImage] there are 1 images",
                     "[GetImage-BadImage] 20x10 (http://site.test/p.jpg)",
                     "[GetImage-BadImage] 20x10 (http://site.test/p.jpg)"},
          .trace = Joined({kWorkPageIn,
                           {"GetImage IN"},
                           kStatus,
                           kGoodImage,
                           Repeated(2, kStatus),
                           {"GetImage OUT"},
                           kWorkPageOut}),
      },
      {
          .name = "a page whose pictures are all bad links",
          .flow =
              [](Flow& h) {
                auto page = Page("http://site.test/p.html");
                page->withImage("http://site.test/ads/a.jpg", 200, 100)
                    .withImage("http://site.test/ads/a.jpg", 200, 100);
                h.crawl(1, page);
              },
          .status = Joined({{"[BrowseComplete (depth=1)] http://site.test/p.html",
                             "[GetImage] there are 2 images"},
                            Repeated(20, {"[GetImage] BadLink http://site.test/ads/a.jpg"}),
                            {"[GetImage] nothing valid on this page"}}),
          .trace = Joined({kWorkPageIn,
                           {"GetImage IN"},
                           kStatus,
                           Repeated(20, Joined({kBadLink, kStatus})),
                           kBadLink,
                           kStatus,
                           {"GetImage OUT"},
                           kWorkPageOut}),
      },
      {
          .name = "a page without pictures or links",
          .flow = [](Flow& h) { h.crawl(1, Page("http://site.test/empty.html")); },
          .status = {"[BrowseComplete (depth=1)] http://site.test/empty.html",
                     "[GetImage()] no images, trying links",
                     "[GetLink] no links, no frames, no images"},
          .trace = Joined({kWorkPageIn,
                           {"GetImage IN"},
                           kStatus,
                           {"GetLink IN"},
                           kStatus,
                           {"GetLink OUT", "GetImage OUT"},
                           kWorkPageOut}),
      },
      {
          .name = "a phrase mined from a page",
          .flow =
              [](Flow& h) {
                h.platform.random_.script({0.15f, 0.0f});
                auto page = Page("http://site.test/words.html");
                page->withText("one two three four five six seven eight");
                h.crawl(-2, page);
              },
          .status = {"[BrowseComplete (depth=-2)] http://site.test/words.html",
                     "[Phrase] three four", "[NextURL] phrase=three+four, url=" + kSearch,
                     "[BrowseTo (depth=3)] " + kSearch},
          .trace = Joined({kWorkPageIn,
                           kStrip,
                           kStatus,
                           {"NextUrl IN"},
                           kStatus,
                           kBrowseTo,
                           {"NextUrl OUT"},
                           kWorkPageOut}),
      },
      {
          .name = "no phrase in a page of short words",
          .flow =
              [](Flow& h) {
                h.platform.random_.script(std::vector<float>(20, 0.5f));
                auto page = Page("http://site.test/words.html");
                page->withText("a b c d e f g h i j k l m n o p");
                h.crawl(-2, page);
              },
          .status = Joined({{"[BrowseComplete (depth=-2)] http://site.test/words.html"},
                            Repeated(20, {"[Phrase] h i"}),
                            {"[Phrase] can't find one!"}}),
          .trace =
              Joined({kWorkPageIn, Repeated(20, Joined({kStrip, kStatus})), kStatus, kWorkPageOut}),
      },
      {
          .name = "a picture shown in its slot",
          .flow =
              [](Flow& h) {
                auto doc = Page("http://site.test/p.jpg");
                doc->withHtml("<head></head><body><img src=p.jpg></body>")
                    .withImage("http://site.test/p.jpg", 200, 100);
                h.browser(3).complete(doc);
              },
          .status = {"[I-BrowseComplete] http://site.test/p.jpg"},
          .trace = Joined({{"browser_DocumentComplete IN"},
                           kStatus,
                           kCleanup,
                           kGoodImage,
                           {"browser_DocumentComplete OUT"}}),
      },
      {
          .name = "a picture outside the size window in its slot",
          .flow =
              [](Flow& h) {
                auto doc = Page("http://site.test/p.jpg");
                doc->withHtml("<head></head><body><img src=p.jpg></body>")
                    .withImage("http://site.test/p.jpg", 20, 10);
                h.browser(3).complete(doc);
              },
          .status = {"[I-BrowseComplete] http://site.test/p.jpg",
                     "[IBadImage] 20x10 (min: 100x100 max: 999999x999999)"},
          .trace = Joined({{"browser_DocumentComplete IN"},
                           kStatus,
                           kCleanup,
                           kGoodImage,
                           kStatus,
                           {"browser_DocumentComplete OUT"}}),
      },
      {
          .name = "navigation errors",
          .flow =
              [](Flow& h) {
                h.work().fail(platform::kServerNotFound, "http://site.test/gone.html");
                h.browser(3).fail(404, "http://site.test/gone.jpg");
              },
          .status = {"[NavError] cannot find server", "[BrowseTo (depth=-1)] " + kLinkList,
                     "[NavError-B] 404"},
          .trace = Joined({{"workBroswer_NavigateError IN"},
                           kStatus,
                           {"NextUrl IN"},
                           kBrowseTo,
                           {"NextUrl OUT", "workBroswer_NavigateError OUT"},
                           {"browser_NavigateError IN"},
                           kStatus,
                           {"browser_NavigateError OUT"}}),
      },
      {
          .name = "new windows",
          .flow =
              [](Flow& h) {
                h.browser(3).requestNewWindow();
                h.work().requestNewWindow();
              },
          .status = {"[PopUp] 3 killed", "[PopUp] killed (workBrowser, silent=False)"},
          .trace = Joined({{"browser_NewWindow2 IN"},
                           kStatus,
                           {"ResizeBrowsers IN"},
                           kResize,
                           {"ResizeBrowsers OUT", "browser_NewWindow2 OUT"},
                           {"workBroswer_NewWindow2 IN"},
                           kStatus,
                           {"ResizeBrowsers IN"},
                           Repeated(10, kResize),
                           {"ResizeBrowsers OUT", "workBroswer_NewWindow2 OUT"}}),
      },
      {
          .name = "the pacing timer",
          .flow = [](Flow& h) { h.window().next.fire(); },
          .status = {"[BrowseTo (depth=-1)] " + kLinkList},
          .trace = Joined({{"nextTimer_Timer IN", "NextUrl IN"},
                           kBrowseTo,
                           {"NextUrl OUT", "nextTimer_Timer OUT"}}),
      },
      {
          .name = "the recovery timer",
          .flow =
              [](Flow& h) {
                h.program.navPending = true;
                h.program.lastActivity = h.program.now() - std::chrono::minutes(10);
                h.window().recovery.fire();
              },
          .status = {"[RecoveryTimer] hmm..."},
          .trace = Joined({{"recoveryTimer_Timer IN"}, kStatus, {"recoveryTimer_Timer OUT"}}),
      },
      {
          .name = "the clock",
          .flow = [](Flow& h) { h.window().time.fire(); },
          .status = {},
          .trace = {"timeTimer IN", "timeTimer OUT"},
      },
      {
          .name = "Raise from a picture's menu",
          .flow =
              [](Flow& h) {
                h.platform.dialogs_.menuChoice = kRaise;
                page_onclick_sink(h.program, 3);
              },
          .status = {},
          .trace = {"page_onclick IN", "SetBrowser IN", "SetBrowser OUT", "page_onclick OUT"},
      },
      {
          .name = "the logo's menu dismissed",
          .flow = [](Flow& h) { picLogo_Click(h.program); },
          .status = {},
          .trace = {"picLogo_Click IN", "picLogo_Click OUT"},
      },
      {
          .name = "the caption",
          .flow = [](Flow& h) { SetCaption(h.program, "x"); },
          .status = {},
          .trace = {"SetCaption IN", "SetCaption OUT"},
      },
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Flow h;
    r.flow(h);
    EXPECT_EQ(h.status(), r.status);
    EXPECT_EQ(h.trace(), r.trace);
  }
}

}  // namespace
