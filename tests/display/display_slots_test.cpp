#include "display/display_slots.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "app/image_form.h"
#include "app/vendor.h"
#include "interaction/url_encode.h"
#include "support/harness.h"

namespace {

using Lines = std::vector<std::string>;

constexpr int kScreenWidth = 1024 * 15;
constexpr int kScreenHeight = 768 * 15;

struct Slots : fake::Harness {
  Slots() {
    debug();
    BindFormEvents(program);
    program.badLinks = {"/ads/"};
    program.nextTimer().setInterval(5000);
    program.nextTimer().setEnabled(false);
    window().move(0, 0, kScreenWidth, kScreenHeight);
  }
  // The image document a display browser holds once it has loaded url.
  std::shared_ptr<fake::FakeDocument> imageDocument(const std::string& url, int width, int height,
                                                    const std::string& html) {
    auto doc = std::make_shared<fake::FakeDocument>();
    doc->withUrl(url).withHtml(html).withImage(url, width, height);
    return doc;
  }
  std::shared_ptr<fake::FakeDocument> show(int k, int width = 200, int height = 100,
                                           const std::string& html = kImagePage) {
    auto doc = imageDocument("http://site.test/p.jpg", width, height, html);
    browser(k).complete(doc);
    return doc;
  }
  static constexpr const char* kImagePage =
      "<HEAD><TITLE>p.jpg</TITLE></HEAD><BODY><IMG src=\"http://site.test/p.jpg\"></BODY>";
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
  EXPECT_EQ(h.program.nextSlot, 0);

  h.picbox(0).setVisible(true);  // its image arrived meanwhile
  IBrowseTo(h.program, "http://site.test/10.jpg");
  EXPECT_EQ(h.browser(0).navigations.back(), "http://site.test/10.jpg");
  EXPECT_FALSE(h.picbox(0).visible());
  EXPECT_EQ(h.program.nextSlot, 1);
  EXPECT_TRUE(h.program.nextTimer().enabled());
  EXPECT_EQ(h.window().urlBox().text(), " http://site.test/10.jpg");
}

TEST(IBrowseTo, RefusedRequests) {
  struct Row {
    const char* name;
    bool unloading, menuOpen;
    std::string url;
    Lines status;
    bool exitTraced;
  } rows[] = {
      {"closing", true, false, "http://site.test/a.jpg", {}, false},
      {"menu open", false, true, "http://site.test/a.jpg", {}, false},
      {"bad link",
       false,
       false,
       "http://site.test/ads/a.jpg",
       {"[I-BrowseTo] http://site.test/ads/a.jpg"},
       true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Slots h;
    h.program.unloading = r.unloading;
    h.program.menuOpen = r.menuOpen;
    IBrowseTo(h.program, r.url);
    EXPECT_TRUE(h.browser(0).navigations.empty());
    EXPECT_EQ(h.program.nextSlot, 0);
    EXPECT_FALSE(h.program.nextTimer().enabled());
    EXPECT_EQ(h.status(), r.status);
    const Lines trace = h.trace();
    EXPECT_EQ(!trace.empty() && trace.back() == "IBrowseTo OUT", r.exitTraced);
  }
}

// The slot keeps a 16-bit copy of the depth: out of range fails before anything moves.
TEST(IBrowseTo, DepthOutsideSixteenBitsIsAnOverflow) {
  for (int depth : {32768, -32769}) {
    Slots h;
    h.program.depth = depth;
    try {
      IBrowseTo(h.program, "http://site.test/a.jpg");
      ADD_FAILURE() << depth;
    } catch (const platform::RunTimeError& failure) {
      EXPECT_EQ(failure.number(), 6);
    }
    EXPECT_TRUE(h.browser(0).navigations.empty());
    EXPECT_EQ(h.program.nextSlot, 0);
  }
}

TEST(DisplayPage, PlacesSizesFramesAndStacksTheSlot) {
  // The frame's free range is 11760 x 9300 twips; the draws place it within, rounded.
  const struct {
    float draw;
    int left, top;
  } rows[] = {{0.0f, 0, 0}, {0.5f, 5880, 4650}, {0.9999f, 11759, 9299}};
  for (const auto& r : rows) {
    Slots h;
    h.platform.random_.script({r.draw, r.draw});
    h.show(3, 200, 100);

    auto& browser = h.browser(3);
    auto& frame = h.picbox(3);
    EXPECT_EQ(browser.width(), 3600);
    EXPECT_EQ(browser.height(), 2220);
    EXPECT_EQ(frame.width(), 3600 - 330);
    EXPECT_EQ(frame.height(), 2220 - 330);
    EXPECT_EQ(frame.left(), r.left);
    EXPECT_EQ(frame.top(), r.top);
    // Inside its frame, two pixels up and left, so its edge is cut off.
    EXPECT_EQ(browser.container(), &frame);
    EXPECT_EQ(browser.left(), -30);
    EXPECT_EQ(browser.top(), -30);
    EXPECT_TRUE(frame.visible());

    // The new slot in front; the others stacked in index order, 0 uppermost.
    EXPECT_EQ(h.slotStack(), "9876542103");
  }
}

TEST(DisplayPage, ImageLargerThanTheWindowSticksOutTopLeft) {
  Slots h;
  h.platform.random_.script({0.5f, 0.5f});
  h.show(0, 2000, 1000);
  EXPECT_EQ(h.picbox(0).left(), -7620);  // half of 15360 - 30600
  EXPECT_EQ(h.picbox(0).top(), (kScreenHeight - 15720) / 2);
}

TEST(DisplayPage, RewritesTheImageDocument) {
  struct Row {
    const char* name;
    std::string html;
    std::string written;
  } rows[] = {
      {"upper case tags", Slots::kImagePage,
       "<head></head><body bgcolor=black><center><a title='Click for options'>"
       "<TITLE>p.jpg</TITLE><BODY><IMG border=0 src=\"http://site.test/p.jpg\">"
       "</a></center></body>"},
      {"lower case tags", "<head></head><body><img src=\"a.jpg\"><img src=\"b.jpg\"></body>",
       "<head></head><body bgcolor=black><center><a title='Click for options'><body>"
       "<IMG border=0 src=\"a.jpg\"><IMG border=0 src=\"b.jpg\"></a></center></body>"},
      {"mixed case tags", "<Head></hEaD><Body><iMg src=\"a.jpg\"></BoDy>",
       "<head></head><body bgcolor=black><center><a title='Click for options'><Body>"
       "<IMG border=0 src=\"a.jpg\"></a></center></body>"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Slots h;
    h.platform.random_.script({0.5f, 0.5f});
    auto doc = h.show(2, 200, 100, r.html);
    ASSERT_FALSE(doc->writes.empty());
    EXPECT_EQ(doc->writes.back(), r.written);
    EXPECT_EQ(doc->closeCalls, 2);  // by the neutralising, then before the write
    EXPECT_TRUE(doc->onClick) << "click sink bound";
    EXPECT_EQ(h.platform.random_.draws, 2) << "no colour drawn without partridge mode";
  }
}

TEST(DisplayPage, PartridgeModeColoursTheBackground) {
  // Seven colours from one draw times six, halves to even: the ends are half as likely.
  const std::pair<float, const char*> rows[] = {
      {0.0f, "red"},     {0.1f, "yellow"}, {0.25f, "green"}, {0.5f, "blue"},
      {0.75f, "orange"}, {0.85f, "black"}, {0.99f, "white"},
  };
  for (const auto& [draw, colour] : rows) {
    Slots h;
    h.program.settings.PartridgeMode = true;
    h.platform.random_.script({0.5f, 0.5f, draw});
    auto doc = h.show(2, 200, 100, "<head></head><body></body>");
    ASSERT_FALSE(doc->writes.empty());
    EXPECT_EQ(doc->writes.back(), std::string("<head></head><body bgcolor=") + colour +
                                      "><center><a title='Click for options'><body>"
                                      "</a></center></body>")
        << draw;
  }
}

TEST(DisplayPage, SlotAddressesBecomeClickThroughAddresses) {
  Slots h;
  h.program.linkCode = "http://site.test/a page?x=1&y=2";
  IBrowseTo(h.program, "http://site.test/p.jpg");
  h.show(0);
  const std::string click = VendorUrl("/quorel/bin/click.asp") + "?url=";
  EXPECT_EQ(h.program.slotInfo[0].picUrl, click + UrlEncode("http://site.test/p.jpg"));
  EXPECT_EQ(h.program.slotInfo[0].siteUrl, click + UrlEncode("http://site.test/a page?x=1&y=2"));
}

TEST(DisplayPage, AutoSaveOnShowingAsksForAFolderWhenNoneIsSet) {
  for (const bool autosave : {false, true}) {
    Slots h;
    h.program.settings.AutosaveMode = autosave;
    h.program.settings.AutosavePath = "";
    h.show(0);
    const auto& boxes = h.platform.dialogs_.messageBoxes;
    ASSERT_EQ(boxes.size(), autosave ? 1u : 0u);
    if (autosave) {
      EXPECT_EQ(boxes[0].title, "Whoa");
      EXPECT_TRUE(h.picbox(0).visible());
    }
  }
}

TEST(DisplayPage, LoadedAtAnUnacceptableSizeStaysHidden) {
  Slots h;
  h.program.settings.MinImageWidth = 300;
  h.program.settings.MinImageHeight = 250;
  h.program.settings.MaxImageWidth = 1600;
  h.program.settings.MaxImageHeight = 1200;
  IBrowseTo(h.program, "http://site.test/p.jpg");
  h.program.nextTimer().setEnabled(false);
  auto doc = h.show(0, 200, 100);
  EXPECT_EQ(h.status().back(), "[IBadImage] 200x100 (min: 300x250 max: 1600x1200)");
  EXPECT_FALSE(h.picbox(0).visible());
  EXPECT_TRUE(h.program.nextTimer().enabled());
  EXPECT_TRUE(doc->writes.empty());
  EXPECT_EQ(h.trace().back(), "browser_DocumentComplete OUT");
}

TEST(DisplayPage, PageWithoutImages) {
  struct Row {
    const char* name;
    std::string phrase;
    bool searches;
  } rows[] = {
      {"no phrase waiting", "", false},
      {"a phrase waiting is searched", "purple cows", true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Slots h;
    h.program.phrase = r.phrase;
    h.picbox(4).setVisible(false);
    auto doc = std::make_shared<fake::FakeDocument>();
    doc->withUrl("http://site.test/").withHtml("<head></head><body>nothing</body>");
    h.browser(4).complete(doc);
    EXPECT_TRUE(h.picbox(4).visible());
    EXPECT_TRUE(doc->writes.empty());
    EXPECT_EQ(h.work().navigations.size(), r.searches ? 1u : 0u);
  }
}

TEST(DisplayPage, CompletionWhileClosingOnlyClearsTheNavigationFlag) {
  Slots h;
  h.program.unloading = true;
  h.program.navPending = true;
  h.picbox(1).setVisible(false);
  auto doc = h.show(1);
  EXPECT_FALSE(h.program.navPending);
  EXPECT_FALSE(h.picbox(1).visible());
  EXPECT_TRUE(h.status().empty());
  EXPECT_EQ(doc->closeCalls, 0);
  EXPECT_EQ(h.work().fakeDocument().writes.size(), 0u);
}

TEST(DisplayPage, NeutralisedCopyGoesToTheWorkBrowserOnly) {
  Slots h;
  auto doc = h.imageDocument("http://site.test/p.jpg", 200, 100,
                             "<HEAD></HEAD><BODY><SCRIPT>x()</SCRIPT><IMG src=\"p.jpg\"></BODY>");
  h.browser(0).complete(doc);
  ASSERT_EQ(h.work().fakeDocument().writes.size(), 1u);
  EXPECT_NE(h.work().fakeDocument().writes[0].find("<quorel>x()</quorel>"), std::string::npos);
  // The slot's own document still held its script when it was checked.
  const Lines lines = h.status();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "[WTF!?!] there's still script!"), lines.end());
}

TEST(DisplayPage, FailuresAreTrappedAndLeaveTheSlotHidden) {
  struct Row {
    const char* name;
    std::shared_ptr<fake::FakeDocument> doc;
    std::string line;
  } rows[] = {
      {"no document element",
       std::make_shared<fake::FakeDocument>(
           fake::FakeDocument().withUrl("http://site.test/").withoutDocumentElement()),
       "browser_DocumentComplete(): 91, Object variable or With block variable not set"},
      {"a size no position can hold",
       std::make_shared<fake::FakeDocument>(fake::FakeDocument()
                                                .withUrl("http://site.test/")
                                                .withHtml("<head></head>")
                                                .withImage("http://site.test/x", 200000000, 10)),
       "browser_DocumentComplete(): 6, Overflow"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Slots h;
    h.picbox(5).setVisible(false);
    h.browser(5).complete(r.doc);
    EXPECT_EQ(h.status().back(), r.line);
    EXPECT_EQ(h.trace().back(), "browser_DocumentComplete OUT");
    EXPECT_FALSE(h.picbox(5).visible());
  }
}

}  // namespace
