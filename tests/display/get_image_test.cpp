#include "display/get_image.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/harness.h"

namespace {

using Lines = std::vector<std::string>;

struct Picker : fake::Harness {
  Picker() {
    debug();
    program.badLinks = {"/ads/"};
    program.nextTimer().setInterval(5000);
    program.nextTimer().setEnabled(false);
    program.settings.MinImageWidth = program.settings.MinImageHeight = 100;
  }
};

struct ImageSpec {
  std::string src;
  int width, height;
};

fake::FakeDocument PageOf(const std::vector<ImageSpec>& images) {
  fake::FakeDocument doc;
  doc.withUrl("http://site.test/page.html");
  for (const auto& image : images) doc.withImage(image.src, image.width, image.height);
  return doc;
}

TEST(GoodImage, SizeWindowWithBoundsAndTheOneExemptSize) {
  struct Row {
    int minW, minH, maxW, maxH, width, height;
    bool good;
  } rows[] = {
      {100, 100, 999999, 999999, 100, 100, true},  // at the minimum
      {100, 100, 640, 480, 640, 480, true},        // at the maximum
      {100, 100, 640, 480, 99, 200, false},       {100, 100, 640, 480, 200, 99, false},
      {100, 100, 640, 480, 641, 200, false},      {100, 100, 640, 480, 200, 481, false},
      {100, 100, 640, 480, 28, 30, true},  // exempt whatever the window says
      {100, 100, 640, 480, 28, 31, false},        {100, 100, 640, 480, 29, 30, false},
      {0, 0, 999999, 999999, 0, 0, true},         {0, 0, 999999, 999999, 999999, 999999, true},
  };
  for (const Row& r : rows) {
    fake::Harness h;
    Settings& s = h.program.settings;
    s.MinImageWidth = r.minW;
    s.MinImageHeight = r.minH;
    s.MaxImageWidth = r.maxW;
    s.MaxImageHeight = r.maxH;
    EXPECT_EQ(GoodImage(h.program, r.width, r.height), r.good) << r.width << "x" << r.height;
  }
}

TEST(GetImage, EachWayOutOfAPage) {
  const std::string bad = "http://site.test/ads/x.jpg";
  struct Row {
    std::vector<ImageSpec> images;
    std::vector<float> draws;
    Lines lines;  // the whole status log
    Lines shown;
    bool timerArmed;
  } rows[] = {
      {{},
       {},
       {"[GetImage()] no images, trying links", "[GetLink] no links, no frames, no images"},
       {},
       true},
      // A lone image is never link-tested; IBrowseTo refuses the bad link itself.
      {{{bad, 200, 150}},
       {},
       {"[GetImage] there are 1 images",
        "[GoodImage (0)] 200x150 (min: 100x100, max: 999999x999999) " + bad, "[I-BrowseTo] " + bad},
       {},
       false},
      // A lone image of a bad size is given up at once, its line twice.
      {{{"http://site.test/a.jpg", 50, 50}},
       {},
       {"[GetImage] there are 1 images", "[GetImage-BadImage] 50x50 (http://site.test/a.jpg)",
        "[GetImage-BadImage] 50x50 (http://site.test/a.jpg)"},
       {},
       true},
      {{{"http://site.test/b.gif", 28, 30}},
       {},
       {"[GetImage] there are 1 images",
        "[GoodImage (0)] 28x30 (min: 100x100, max: 999999x999999) http://site.test/b.gif",
        "[I-BrowseTo] http://site.test/b.gif"},
       {"http://site.test/b.gif"},
       true},
      {{{bad, 300, 300}, {"http://site.test/y.jpg", 300, 300}},
       {0.1f, 0.9f},
       {"[GetImage] there are 2 images", "[GetImage] BadLink " + bad,
        "[GoodImage (1)] 300x300 (min: 100x100, max: 999999x999999) http://site.test/y.jpg",
        "[I-BrowseTo] http://site.test/y.jpg"},
       {"http://site.test/y.jpg"},
       true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.lines.back());
    Picker h;
    h.platform.random_.script(r.draws);
    auto doc = PageOf(r.images);
    GetImage(h.program, doc);
    EXPECT_EQ(h.status(), r.lines);
    EXPECT_EQ(h.shown(), r.shown);
    EXPECT_EQ(h.program.nextTimer().enabled(), r.timerArmed);
    EXPECT_EQ(h.trace().back(), "GetImage OUT");
  }
}

// Bad links and bad sizes share one budget of twenty rejections; the yield is on the link
// path only, and the draw after the twentieth rejection is tested but never used.
TEST(GetImage, GivesUpAPageAtTheTwentiethRejection) {
  struct Row {
    std::vector<ImageSpec> images;
    std::vector<float> draws;
    int badLinks, badSizes, draws_, yields;
  };
  // With three images a draw of 0.1 picks 0, 0.5 picks 1 and 0.9 picks 2.
  std::vector<float> mixed;
  for (int i = 0; i < 8; ++i) mixed.insert(mixed.end(), {0.1f, 0.5f});  // 8 links, 8 sizes
  mixed.insert(mixed.end(), {0.1f, 0.1f, 0.1f, 0.1f, 0.9f});            // links 9 to 12
  const Row rows[] = {
      {{{"http://site.test/ads/0.jpg", 300, 300},
        {"http://site.test/small.jpg", 20, 20},
        {"http://site.test/good.jpg", 300, 300}},
       mixed,
       12,
       8,
       21,
       12},
      {{{"http://site.test/ads/0.jpg", 300, 300}, {"http://site.test/ads/1.jpg", 9, 9}},
       {},
       20,
       0,
       21,
       20},
  };
  for (const Row& r : rows) {
    Picker h;
    h.platform.random_.script(r.draws);
    auto doc = PageOf(r.images);
    GetImage(h.program, doc);
    EXPECT_EQ(h.countLogged("[GetImage] BadLink "), r.badLinks);
    EXPECT_EQ(h.countLogged("[GetImage-BadImage] "), r.badSizes);
    EXPECT_EQ(h.status().size(), 22u);  // and nothing else but the count and the verdict
    EXPECT_EQ(h.status().back(), "[GetImage] nothing valid on this page");
    EXPECT_EQ(h.platform.random_.draws, r.draws_);
    EXPECT_EQ(h.platform.doEventsCalls, r.yields);
    EXPECT_TRUE(h.shown().empty());
    EXPECT_TRUE(h.program.nextTimer().enabled());
  }
}

TEST(GetImage, DrawnIndexRoundsHalfToEvenWithinRange) {
  struct Row {
    int n;
    float draw;
    int index;
  } rows[] = {
      {2, 0.0f, 0},  {2, 0.5f, 0}, {2, 0.75f, 1},   {3, 0.25f, 0},
      {3, 0.75f, 2}, {4, 0.5f, 2}, {5, 0.9999f, 4}, {5, 0.1f, 0},
  };
  for (const Row& r : rows) {
    Picker h;
    std::vector<ImageSpec> images;
    for (int i = 0; i < r.n; ++i)
      images.push_back({"http://site.test/" + std::to_string(i) + ".jpg", 300, 300});
    h.platform.random_.script({r.draw});
    auto doc = PageOf(images);
    GetImage(h.program, doc);
    EXPECT_EQ(h.shown(), Lines{images[static_cast<std::size_t>(r.index)].src})
        << r.n << " images, draw " << r.draw;
  }
}

TEST(GetImage, ReadsThePageAfreshAfterItsYield) {
  Picker h;
  auto doc =
      PageOf({{"http://site.test/ads/0.jpg", 300, 300}, {"http://site.test/1.jpg", 300, 300}});
  h.platform.random_.script({0.1f, 0.9f});
  // Another event changes the page while the pick yields.
  h.platform.onDoEvents = [&] { doc.images_[1].src = "http://site.test/changed.jpg"; };
  GetImage(h.program, doc);
  EXPECT_EQ(h.shown(), Lines{"http://site.test/changed.jpg"});
}

}  // namespace
