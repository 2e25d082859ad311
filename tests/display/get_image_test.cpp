#include "display/get_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
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
    program.settings.MinImageWidth = 100;
    program.settings.MinImageHeight = 100;
  }
  long count(const std::string& prefix) const {
    const Lines lines = status();
    return std::count_if(lines.begin(), lines.end(),
                         [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
  }
  std::vector<std::string> shown() {
    std::vector<std::string> urls;
    for (int k = 0; k < 10; ++k)
      for (const auto& url : browser(k).navigations) urls.push_back(url);
    return urls;
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
      {100, 100, 640, 480, 99, 200, false},         {100, 100, 640, 480, 200, 99, false},
      {100, 100, 640, 480, 641, 200, false},        {100, 100, 640, 480, 200, 481, false},
      {100, 100, 640, 480, 28, 30, true},  // exempt whatever the window says
      {100, 100, 640, 480, 28, 31, false},          {100, 100, 640, 480, 29, 30, false},
      {0, 0, 999999, 999999, 0, 0, true},  // unlimited both ways
      {0, 0, 999999, 999999, 999999, 999999, true},
  };
  for (const Row& r : rows) {
    fake::Harness h;
    h.program.settings.MinImageWidth = r.minW;
    h.program.settings.MinImageHeight = r.minH;
    h.program.settings.MaxImageWidth = r.maxW;
    h.program.settings.MaxImageHeight = r.maxH;
    EXPECT_EQ(GoodImage(h.program, r.width, r.height), r.good) << r.width << "x" << r.height;
  }
}

TEST(GetImage, EachWayOutOfAPage) {
  struct Row {
    const char* name;
    std::vector<ImageSpec> images;
    std::vector<float> draws;
    Lines firstLines;  // the status log starts with these
    std::vector<std::string> shown;
    bool timerArmed;
  } rows[] = {
      {"no images goes to link picking",
       {},
       {},
       {"[GetImage()] no images, trying links"},
       {},
       true},
      {"one good image, never link-tested",
       {{"http://site.test/ads/a.jpg", 200, 150}},
       {},
       {"[GetImage] there are 1 images",
        "[GoodImage (0)] 200x150 (min: 100x100, max: 999999x999999) http://site.test/ads/a.jpg",
        "[I-BrowseTo] http://site.test/ads/a.jpg"},
       {},  // IBrowseTo refuses the bad link itself
       false},
      {"one image of a bad size is given up at once, its line twice",
       {{"http://site.test/a.jpg", 50, 50}},
       {},
       {"[GetImage] there are 1 images", "[GetImage-BadImage] 50x50 (http://site.test/a.jpg)",
        "[GetImage-BadImage] 50x50 (http://site.test/a.jpg)"},
       {},
       true},
      {"the exempt size passes a window that excludes it",
       {{"http://site.test/b.gif", 28, 30}},
       {},
       {"[GetImage] there are 1 images",
        "[GoodImage (0)] 28x30 (min: 100x100, max: 999999x999999) http://site.test/b.gif"},
       {"http://site.test/b.gif"},
       true},
      {"a bad link is drawn again",
       {{"http://site.test/ads/x.jpg", 300, 300}, {"http://site.test/y.jpg", 300, 300}},
       {0.1f, 0.9f},
       {"[GetImage] there are 2 images", "[GetImage] BadLink http://site.test/ads/x.jpg",
        "[GoodImage (1)] 300x300 (min: 100x100, max: 999999x999999) http://site.test/y.jpg"},
       {"http://site.test/y.jpg"},
       true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Picker h;
    h.platform.random_.script(r.draws);
    auto doc = PageOf(r.images);
    GetImage(h.program, doc);
    const Lines lines = h.status();
    ASSERT_GE(lines.size(), r.firstLines.size());
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + static_cast<long>(r.firstLines.size())),
              r.firstLines);
    EXPECT_EQ(h.shown(), r.shown);
    EXPECT_EQ(h.program.nextTimer().enabled(), r.timerArmed);
  }
}

TEST(GetImage, BadLinksAndBadSizesShareOneBudgetOfTwenty) {
  Picker h;
  // 0: a bad link, 1: a good link of a bad size, 2: acceptable. With three images a draw of
  // 0.1 picks 0, 0.5 picks 1 and 0.9 picks 2.
  auto doc = PageOf({{"http://site.test/ads/0.jpg", 300, 300},
                     {"http://site.test/small.jpg", 20, 20},
                     {"http://site.test/good.jpg", 300, 300}});
  std::vector<float> draws;
  for (int i = 0; i < 8; ++i) draws.insert(draws.end(), {0.1f, 0.5f});  // 8 links, 8 sizes
  draws.insert(draws.end(), {0.1f, 0.1f, 0.1f, 0.1f});                  // links 9 to 12
  draws.push_back(0.9f);  // drawn after the twentieth rejection: tested, never used
  h.platform.random_.script(draws);

  GetImage(h.program, doc);

  EXPECT_EQ(h.count("[GetImage] BadLink "), 12);
  EXPECT_EQ(h.count("[GetImage-BadImage] "), 8);
  EXPECT_EQ(h.status().size(), 22u);  // and nothing else but the count and the verdict
  EXPECT_EQ(h.status().back(), "[GetImage] nothing valid on this page");
  EXPECT_EQ(h.platform.random_.draws, 21);
  EXPECT_EQ(h.platform.doEventsCalls, 12);  // the yield is on the link path only
  EXPECT_TRUE(h.shown().empty());
  EXPECT_TRUE(h.program.nextTimer().enabled());
}

TEST(GetImage, APageOfBadLinksOnlyStopsAtTheTwentiethRejection) {
  Picker h;
  auto doc =
      PageOf({{"http://site.test/ads/0.jpg", 300, 300}, {"http://site.test/ads/1.jpg", 9, 9}});
  GetImage(h.program, doc);
  EXPECT_EQ(h.count("[GetImage] BadLink "), 20);
  EXPECT_EQ(h.status().size(), 22u);
  EXPECT_EQ(h.status().back(), "[GetImage] nothing valid on this page");
  EXPECT_TRUE(h.shown().empty());
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
    EXPECT_EQ(h.shown(), std::vector<std::string>{images[static_cast<std::size_t>(r.index)].src})
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
  EXPECT_EQ(h.shown(), std::vector<std::string>{"http://site.test/changed.jpg"});
}

}  // namespace
