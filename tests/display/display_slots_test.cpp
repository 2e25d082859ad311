#include "display/display_slots.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/image_form.h"
#include "core/vendor.h"
#include "crawler/get_link.h"
#include "display/cleanup_html.h"
#include "display/get_image.h"
#include "platform/browser.h"
#include "platform/run_time_error.h"
#include "support/harness.h"

namespace {

using Lines = std::vector<std::string>;

constexpr const char* kImagePage =
    "<HEAD><TITLE>p.jpg</TITLE></HEAD><BODY><IMG src=\"http://site.test/p.jpg\"></BODY>";

struct Slots : fake::Wired {
  // Display browser k completes with an image document of the given size.
  std::shared_ptr<fake::FakeDocument> show(int k, int width = 200, int height = 100,
                                           const std::string& html = kImagePage) {
    auto doc = std::make_shared<fake::FakeDocument>();
    doc->withUrl("http://site.test/p.jpg")
        .withHtml(html)
        .withImage("http://site.test/p.jpg", width, height);
    browser(k).complete(doc);
    return doc;
  }
};

TEST(IBrowseTo, ElevenImagesGoRoundTheTenSlots) {
  Slots h;
  h.program.depth = -2;
  h.program.startUrl = "http://start.test/";
  h.program.linkCode = "http://site.test/";
  for (int i = 0; i < 10; ++i)
    IBrowseTo(h.program, "http://site.test/" + std::to_string(i) + ".jpg");
  for (int k = 0; k < 10; ++k) {
    EXPECT_EQ(h.browser(k).navigations, Lines{"http://site.test/" + std::to_string(k) + ".jpg"});
    EXPECT_FALSE(h.picbox(k).visible());
    EXPECT_TRUE(h.browser(k).silent());
    const SlotInfo& info = h.program.slotInfo[static_cast<std::size_t>(k)];
    EXPECT_EQ(info.depth, -2);
    EXPECT_EQ(info.picUrl, "http://start.test/");
    EXPECT_EQ(info.siteUrl, "http://site.test/");
  }
  h.picbox(0).setVisible(true);  // its image arrived meanwhile
  IBrowseTo(h.program, "http://site.test/10.jpg");
  EXPECT_EQ(h.browser(0).navigations.back(), "http://site.test/10.jpg");
  EXPECT_FALSE(h.picbox(0).visible());
  EXPECT_EQ(h.program.nextSlot, 1);
  EXPECT_TRUE(h.program.nextTimer().enabled());
  EXPECT_EQ(h.window().urlBox().text(), " http://site.test/10.jpg");
}

// Refused while closing or under an open menu; a depth out of the slot's 16-bit range fails
// before anything moves. A bad link: GetImage.EachWayOutOfAPage.
TEST(IBrowseTo, RefusedRequests) {
  const std::string url = "http://site.test/a.jpg";
  struct Row {
    const char* name;
    bool unloading = false, menuOpen = false;
    int depth = 0;
    int failure = 0;  // the run-time failure's number
    Lines status = {};
  };
  const Row rows[] = {
      {.name = "while closing", .unloading = true},
      {.name = "under a menu", .menuOpen = true},
      {.name = "a depth past 16 bits",
       .depth = 32768,
       .failure = platform::overflow().number(),
       .status = {"[I-BrowseTo] " + url}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Slots h;
    h.program.unloading = r.unloading;
    h.program.menuOpen = r.menuOpen;
    h.program.depth = r.depth;
    EXPECT_EQ(fake::FailureNumber([&] { IBrowseTo(h.program, url); }), r.failure);
    EXPECT_TRUE(h.shown().empty());
    EXPECT_EQ(h.program.nextSlot, 0);
    EXPECT_FALSE(h.program.nextTimer().enabled());
    EXPECT_EQ(h.status(), r.status);
    EXPECT_NE(h.trace().back(), "IBrowseTo OUT");  // left before its end
  }
}

TEST(DisplayPage, PlacesSizesFramesAndStacksTheSlot) {
  // The frame's free range is 11760 x 9300 twips for a 200 x 100 image; the draws place it
  // within, rounded. A picture larger than the screen starts at its top-left corner.
  struct Row {
    const char* name;
    float draw;
    int width, height;
    int left, top;
  } rows[] = {
      {
          .name = "lowest draws",
          .draw = 0.0f,
          .width = 200,
          .height = 100,
          .left = 0,
          .top = 0,
      },
      {.name = "highest draws",
       .draw = 0.9999f,
       .width = 200,
       .height = 100,
       .left = 11759,
       .top = 9299},
      {.name = "larger than the screen",
       .draw = 0.5f,
       .width = 2000,
       .height = 1000,
       .left = 0,
       .top = 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Slots h;
    h.platform.random_.script({r.draw, r.draw});
    h.show(3, r.width, r.height);

    auto& browser = h.browser(3);
    auto& frame = h.picbox(3);
    // Inside its frame, two pixels up and left, so its edge is cut off.
    const int w = r.width * 15 + 600, ht = r.height * 15 + 720;
    EXPECT_EQ(fake::Box(browser), "-30,-30 " + std::to_string(w) + "x" + std::to_string(ht));
    EXPECT_EQ(fake::Box(frame), std::to_string(r.left) + "," + std::to_string(r.top) + " " +
                                    std::to_string(w - 330) + "x" + std::to_string(ht - 330));
    EXPECT_EQ(browser.container(), &frame);
    // The new slot in front; the others stacked in index order, 0 uppermost.
    EXPECT_EQ(h.slotStack(), "9876542103");
  }
}

// Two monitors in twips: 1280 x 1024 on the left, 1920 x 1080 on the right and 200 lower; or a
// portrait one beside a landscape one.
constexpr platform::Monitor kLeft{0, 0, 19200, 15360, false};
constexpr platform::Monitor kRightLower{19200, 3000, 28800, 16200, true};
constexpr platform::Monitor kPortrait{0, 0, 16200, 28800, false};
constexpr platform::Monitor kBeside{16200, 0, 28800, 16200, true};

// The first draw runs along the free widths of the monitors that can hold the panel, left one
// first, the second down the chosen one's free height: no panel reaches where no monitor shows.
// For a 200 x 100 picture (3600 x 2220 twips) the free widths are 15600 and 25200.
TEST(DisplayPage, APanelLiesWhollyOnOneMonitor) {
  struct Row {
    const char* name;
    std::vector<platform::Monitor> monitors;
    float r1, r2;
    int width, height;  // the picture, in pixels
    std::string corner;
  } rows[] = {
      {.name = "lowest draws: the left monitor's corner",
       .monitors = {kLeft, kRightLower},
       .r1 = 0.0f,
       .r2 = 0.0f,
       .width = 200,
       .height = 100,
       .corner = "0,0"},
      {.name = "within the left monitor's share",
       .monitors = {kLeft, kRightLower},
       .r1 = 0.25f,
       .r2 = 0.75f,
       .width = 200,
       .height = 100,
       .corner = "10200,9855"},
      {.name = "past the left monitor's share: on the right one, below its top",
       .monitors = {kLeft, kRightLower},
       .r1 = 0.75f,
       .r2 = 0.25f,
       .width = 200,
       .height = 100,
       .corner = "34200,6495"},
      {.name = "highest draws: flush with the right monitor's far corner",
       .monitors = {kLeft, kRightLower},
       .r1 = 0.99999f,
       .r2 = 0.99999f,
       .width = 200,
       .height = 100,
       .corner = "44400,16980"},
      {.name = "wider than the left monitor: only the right one",
       .monitors = {kLeft, kRightLower},
       .r1 = 0.0f,
       .r2 = 0.0f,
       .width = 1500,
       .height = 100,
       .corner = "19200,3000"},
      {.name = "taller than the landscape monitor: only the portrait one",
       .monitors = {kPortrait, kBeside},
       .r1 = 0.5f,
       .r2 = 0.5f,
       .width = 200,
       .height = 1100,
       .corner = "6300,5790"},
      {.name = "each monitor just as wide: the first draw picks one, at its left edge",
       .monitors = {{0, 0, 3600, 10000, false}, {3600, 0, 3600, 10000, true}},
       .r1 = 0.75f,
       .r2 = 0.5f,
       .width = 200,
       .height = 100,
       .corner = "3600,3890"},
      {.name = "larger than every monitor: the corner of the one showing most",
       .monitors = {kLeft, kRightLower},
       .r1 = 0.5f,
       .r2 = 0.5f,
       .width = 2000,
       .height = 1200,
       .corner = "19200,3000"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Slots h;
    h.platform.screen_.monitors_ = r.monitors;
    h.window().move(0, 0, h.platform.screen_.width(), h.platform.screen_.height());
    h.platform.random_.script({r.r1, r.r2});
    h.show(3, r.width, r.height);
    EXPECT_EQ(h.platform.random_.draws, 2);
    const auto& frame = h.picbox(3);
    EXPECT_EQ(std::to_string(frame.left()) + "," + std::to_string(frame.top()), r.corner);
  }
}

TEST(DisplayPage, AScaledScreenGivesEachPicturePixelOneDevicePixel) {
  // At a ratio of 2 a pixel of the picture takes half a screen pixel's 15 twips; the margins
  // stay, and the size window still counts the picture's own pixels.
  Slots h;
  h.platform.screen_.ratio_ = 2;
  h.program.settings.MaxImageWidth = 400;
  h.program.settings.MaxImageHeight = 400;
  h.platform.random_.script({0.0f, 0.0f});
  h.show(3, 401, 100);
  EXPECT_FALSE(h.picbox(3).visible());
  h.platform.random_.script({0.0f, 0.0f});
  h.show(4, 201, 100);
  EXPECT_EQ(fake::Box(h.browser(4)), "-30,-30 2108x1470");
}

TEST(DisplayPage, RewritesTheImageDocument) {
  // The page written for the slot after loading html, with the colour drawn in partridge mode.
  const auto rewritten = [](const std::string& html, float colourDraw = -1) {
    Slots h;
    h.program.settings.PartridgeMode = colourDraw >= 0;
    h.platform.random_.script({0.5f, 0.5f, colourDraw});
    auto doc = h.show(2, 200, 100, html);
    EXPECT_EQ(doc->closeCalls, 2);  // by the neutralising, then before the write
    EXPECT_TRUE(doc->onClick) << "click sink bound";
    EXPECT_EQ(h.platform.random_.draws, colourDraw >= 0 ? 3 : 2);
    return doc->writes;
  };
  const std::string head = "<head></head><body bgcolor=";
  const std::string link = "><center><a title='Click for options'>";
  EXPECT_EQ(rewritten(kImagePage), Lines{head + "black" + link +
                                         "<TITLE>p.jpg</TITLE><BODY><IMG border=0 "
                                         "src=\"http://site.test/p.jpg\"></a></center></body>"});
  EXPECT_EQ(rewritten("<head></head><body><img src=a><img src=b></body>"),
            Lines{head + "black" + link +
                  "<body><IMG border=0 src=a><IMG border=0 src=b>"
                  "</a></center></body>"});
  // Seven colours from one draw times six, halves to even: the ends are half as likely.
  const std::pair<float, const char*> colours[] = {
      {0.0f, "red"},     {0.1f, "yellow"}, {0.25f, "green"}, {0.5f, "blue"},
      {0.75f, "orange"}, {0.85f, "black"}, {0.99f, "white"},
  };
  for (const auto& [draw, colour] : colours)
    EXPECT_EQ(rewritten("<head></head><body></body>", draw),
              Lines{head + colour + link + "<body></a></center></body>"});
}

TEST(DisplayPage, SlotAddressesBecomeClickThroughAddresses) {
  Slots h;
  h.program.linkCode = "http://site.test/a page?x=1&y=2";
  IBrowseTo(h.program, "http://site.test/p.jpg");
  h.show(0);
  const std::string click = VendorUrl("/quorel/bin/click.asp") + "?url=http%3A%2F%2Fsite%2Etest%2F";
  EXPECT_EQ(h.program.slotInfo[0].picUrl, click + "p%2Ejpg");
  EXPECT_EQ(h.program.slotInfo[0].siteUrl, click + "a+page%3Fx%3D1%26y%3D2");
}

// A completion that shows no picture: a picture outside the size window hides the frame
// that showed the slot's last one; a page without images shows an empty frame (and searches a
// phrase still waiting); a failure leaves the frame as it was; while closing nothing happens.
TEST(DisplayPage, CompletionsThatShowNoPicture) {
  const std::string complete = "[I-BrowseComplete] http://site.test/p.jpg";
  const std::string notSet = "91, Object variable or With block variable not set";
  // The search the first draw picks.
  const std::string search = "http://" + std::string(kSearchHosts[0]) +
                             "/images?hl=en&lr=&ie=UTF-8&oe=UTF-8&q=purple+cows&sa=N&tab=wi";
  struct Row {
    const char* name;
    std::string html = kImagePage;
    bool documentElement = true;
    int width = 0, height = 0;  // the image's; 0: the page has none
    bool unloading = false;
    std::string phrase = "";
    bool shownBefore = false;
    Lines status;
    bool searches = false;
    bool shown = false;
    bool armed = false;
    std::string lastTrace = "browser_DocumentComplete OUT";
  };
  const Row rows[] = {
      {
          .name = "a picture outside the size window",
          .width = 200,
          .height = 100,
          .shownBefore = true,
          .status = {complete, "[IBadImage] 200x100 (min: 300x250 max: 1600x1200)"},
          .armed = true,
      },
      {
          .name = "a page without images",
          .html = "<head></head><body>nothing</body>",
          .status = {complete},
          .shown = true,
      },
      {
          .name = "a page without images while a phrase waits",
          .html = "<head></head><body>nothing</body>",
          .phrase = "purple cows",
          .status = {complete, "[NextURL] phrase=purple+cows, url=" + search,
                     "[BrowseTo (depth=3)] " + search},
          .searches = true,
          .shown = true,
      },
      {
          .name = "while closing",
          .width = 200,
          .height = 100,
          .unloading = true,
          .status = {},
          .lastTrace = "browser_DocumentComplete IN",  // left at once
      },
      {
          .name = "no document element",
          .html = "",
          .documentElement = false,
          .status = {complete, "[ERROR] CleanupHTML(): " + notSet,
                     "browser_DocumentComplete(): " + notSet},
      },
      {
          .name = "a picture too wide to place",
          .html = "<head></head>",
          .width = 200000000,
          .height = 10,
          .shownBefore = true,
          .status = {complete, "browser_DocumentComplete(): 6, Overflow"},
          .shown = true,
      },
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Slots h;
    Settings& s = h.program.settings;
    s.MinImageWidth = 300;
    s.MinImageHeight = 250;
    s.MaxImageWidth = 1600;
    s.MaxImageHeight = 1200;
    h.program.unloading = r.unloading;
    h.program.navPending = true;
    h.program.phrase = r.phrase;
    h.platform.random_.script({0.0f});
    h.picbox(5).setVisible(r.shownBefore);
    auto doc = std::make_shared<fake::FakeDocument>();
    doc->withUrl("http://site.test/p.jpg").withHtml(r.html);
    if (!r.documentElement) doc->withoutDocumentElement();
    if (r.width) doc->withImage("http://site.test/p.jpg", r.width, r.height);
    h.browser(5).complete(doc);
    EXPECT_EQ(h.program.navPending, r.searches);
    EXPECT_EQ(h.status(), r.status);
    EXPECT_EQ(h.work().navigations.size(), r.searches ? 1u : 0u);
    EXPECT_EQ(h.picbox(5).visible(), r.shown);
    EXPECT_EQ(h.program.nextTimer().enabled(), r.armed);
    EXPECT_TRUE(doc->writes.empty());
    EXPECT_EQ(h.trace().back(), r.lastTrace);
  }
}

// The page a picture was found on travels with it to its slot and into the auto-saved file,
// and stays once the slot's addresses have become click-through ones: the crawled page it was
// picked from, or the page a search result names for it.
TEST(DisplayPage, AutosaveKeepsThePageThePictureWasFoundOn) {
  struct Row {
    const char* name;
    std::string link = {};  // a search result on the page; none: the page's own picture is picked
    bool inFrame = false;
    std::string page;
  };
  const std::string result = "http://search.example/r?imgurl=pics.test/cat.jpg";
  const Row rows[] = {
      {.name = "a crawled page's picture", .page = "http://site.test/gallery.html"},
      {.name = "a search result",
       .link = result + "&imgrefurl=http%3A//commons.test/wiki/File%3ACat+1.jpg&h=2",
       .page = "http://commons.test/wiki/File:Cat 1.jpg"},
      {.name = "a search result in a frame",
       .link = result + "&imgrefurl=http://site1.test/cat.html",
       .inFrame = true,
       .page = "http://site1.test/cat.html"},
      {.name = "a result naming no page", .link = result + "&h=2", .page = ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Slots h;
    h.program.settings.AutosaveMode = true;
    h.program.settings.AutosavePath = h.platform.folder.string();
    h.program.settings.MaxImageWidth = h.program.settings.MaxImageHeight = 999999;
    auto found = fake::Page("http://site.test/gallery.html");
    if (row.link.empty()) {
      found->withImage("http://pics.test/cat.jpg", 200, 100);
      GetImage(h.program, *found);
    } else {
      if (row.inFrame)
        found->withFrame(row.link);
      else
        found->withLinks({row.link, row.link});
      GetLink(h.program, *found);
    }
    EXPECT_EQ(h.shown(), Lines{"http://pics.test/cat.jpg"});
    h.platform.transfer_.replies["http://site.test/p.jpg"] = {true, "J", {}, "jpeg"};
    h.show(0);
    ASSERT_EQ(h.platform.files.origins.size(), 1u);
    EXPECT_EQ(h.platform.files.origins[0].url, "http://site.test/p.jpg");
    EXPECT_EQ(h.platform.files.origins[0].referrer, row.page);
    EXPECT_EQ(h.program.slotInfo[0].pageUrl, row.page);
  }
}

TEST(DisplayPage, NeutralisedCopyGoesToTheWorkBrowserOnly) {
  Slots h;
  h.show(0, 200, 100, "<HEAD></HEAD><BODY><SCRIPT>x()</SCRIPT><IMG src=\"p.jpg\"></BODY>");
  ASSERT_EQ(h.work().fakeDocument().writes.size(), 1u);
  EXPECT_NE(h.work().fakeDocument().writes[0].find("<quorel>x()</quorel>"), std::string::npos);
  // The slot's own document still held its script when it was checked.
  EXPECT_TRUE(h.logged("[WTF!?!] there's still script!"));
}

TEST(NextTimer, FiresOnceAndStartsACrawlOnlyWhenNoneIsUnderWay) {
  for (const bool navPending : {false, true}) {
    fake::Wired h;
    h.program.nextTimer().setEnabled(true);
    h.program.navPending = navPending;
    h.window().next.fire();  // through the handler the form bound
    EXPECT_FALSE(h.program.nextTimer().enabled()) << "one-shot: disarmed by its own tick";
    // A link-list crawl, not a search.
    EXPECT_EQ(h.status(),
              navPending ? Lines{} : Lines{"[BrowseTo (depth=-1)] " + h.program.startUrl});
  }
}

// The markup with script, handlers, plug-ins, inline frames and window calls renamed (in any
// case) and, with a base, the page's address as <BASE> after a bare <HEAD>, the end tag
// dropped; written into the work browser, the given document only closed.
TEST(CleanupHTML, RewritesTheMarkupAndWritesItIntoTheWorkBrowser) {
  const std::string page = "http://site.test/dir/page.html";
  struct Row {
    std::string html, cleaned;
    std::string url = "u";
    bool useBase = true;
  } rows[] = {
      {.html = "<head></head><body></body>",
       .cleaned = "<HEAD><BASE href='" + page + "'><body></body>",
       .url = page},
      {.html = "<HEAD profile=\"p\"><title>t</title></Head>",
       .cleaned = "<HEAD profile=\"p\"><title>t</title>",
       .url = page},
      {.html = "<head></head>",  // no early end to the address
       .cleaned = "<HEAD><BASE href='http://site.test/it%27s.html'>",
       .url = "http://site.test/it's.html"},
      {.html = "<SCRIPT language=\"js\">a()</ScRiPt >",
       .cleaned = "<quorel language=\"js\">a()</quorel >"},
      {.html = "<BODY ONLOAD=\"go()\" onUnload=\"x()\" onbeforeunload=\"y()\">",
       .cleaned = "<BODY quorelload=\"go()\" quorelunload=\"x()\" quorelonbeforeunload=\"y()\">"},
      {.html = "<a OnClick=\"z()\">", .cleaned = "<a quorelonclick=\"z()\">"},
      {.html = "<EMBED src=a><object data=b></object><IFRAME src=c></IFrame>",
       .cleaned = "<quorel-embed src=a><quorel-object data=b></object><quorel-frame "
                  "src=c></quorel-iframe>"},
      {.html = "<script>window.resizeTo(1,2); self.moveTo(0,0)</script> see window. and myself.",
       .cleaned = "<quorel>window-quorel.resizeQUORELo(1,2); self-quorel.moveQUORELo(0,0)</quorel> "
                  "see window-quorel. and myself-quorel."},
      {.html = "<head></head><body onload=x>",
       .cleaned = "<head></head><body quorelload=x>",
       .useBase = false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.html);
    fake::Harness h;
    fake::FakeDocument doc;
    doc.withUrl(r.url).withHtml(r.html);
    EXPECT_EQ(CleanupHTML(h.program, doc, r.useBase), r.cleaned);
    auto& work = h.work().fakeDocument();
    EXPECT_EQ(work.clearCalls, 1);
    EXPECT_EQ(work.writes, Lines{r.cleaned});
    EXPECT_EQ(doc.closeCalls, 1);
    EXPECT_EQ(doc.html_, r.html) << "the given document is only closed";
    EXPECT_TRUE(h.status().empty());
    EXPECT_EQ(h.trace().back(), "CleanupHTML OUT");
  }
}

// Nothing to read leaves the work browser alone; a document without its element is a failure,
// logged.
TEST(CleanupHTML, NothingToReadWritesNothing) {
  struct Row {
    const char* name;
    bool documentElement;
    Lines status;
  } rows[] = {
      {.name = "an empty page", .documentElement = true, .status = {}},
      {.name = "no document element",
       .documentElement = false,
       .status = {"[ERROR] CleanupHTML(): 91, Object variable or With block variable not set"}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    fake::Harness h;
    fake::FakeDocument doc;
    doc.withUrl("u");
    if (!r.documentElement) doc.withoutDocumentElement();
    EXPECT_EQ(CleanupHTML(h.program, doc, true), "");
    EXPECT_EQ(h.work().fakeDocument().clearCalls, 0);
    EXPECT_TRUE(h.work().fakeDocument().writes.empty());
    EXPECT_EQ(doc.closeCalls, 0);
    EXPECT_EQ(h.status(), r.status);
    EXPECT_EQ(h.trace().back(), "CleanupHTML OUT");
  }
}

// A write the work browser could not parse in time leaves its page as loaded, and the log
// says so: the crawl that follows reads that page, not the disarmed copy.
TEST(CleanupHTML, SaysWhenTheWorkBrowserKeptItsPageAsLoaded) {
  const std::string page = "http://site.test/gallery.html";
  const struct Row {
    const char* name;
    bool keptAsLoaded;
    Lines status;
  } rows[] = {
      {.name = "written", .keptAsLoaded = false, .status = {}},
      {.name = "kept as loaded",
       .keptAsLoaded = true,
       .status = {"[CleanupHTML] written copy not parsed in time, page kept as loaded: " + page}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fake::Harness h;
    fake::FakeDocument doc;
    doc.withUrl(page).withHtml("<body><img src=a.jpg></body>");
    auto& work = h.work().fakeDocument();
    work.withUrl(page);
    if (row.keptAsLoaded) work.keepingWritesAsLoaded();
    EXPECT_EQ(CleanupHTML(h.program, doc, true), "<body><img src=a.jpg></body>");
    EXPECT_EQ(h.status(), row.status);
  }
}

}  // namespace
