#include "display/get_image.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "app/vb_text.h"
#include "support/harness.h"

namespace {

using Lines = std::vector<std::string>;

constexpr const char* kSite = "http://site.test/";

struct Picker : fake::Wired {
  Picker() { program.settings.MinImageWidth = program.settings.MinImageHeight = 100; }
  // Picks from a page of images given as "name=WxH|..." under kSite, after the given draws.
  void pick(const std::string& images, std::vector<float> draws = {}) {
    fake::FakeDocument doc;
    for (const auto& image : fake::Split(images)) {
      const auto equals = image.find('='), x = image.find('x', equals);
      doc.withImage(kSite + image.substr(0, equals), std::stoi(image.substr(equals + 1)),
                    std::stoi(image.substr(x + 1)));
    }
    platform.random_.script(std::move(draws));
    GetImage(program, doc);
  }
};

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
  };
  for (const Row& r : rows) {
    fake::Harness h;
    Settings& s = h.program.settings;
    std::tie(s.MinImageWidth, s.MinImageHeight, s.MaxImageWidth, s.MaxImageHeight) =
        std::tie(r.minW, r.minH, r.maxW, r.maxH);
    EXPECT_EQ(GoodImage(h.program, r.width, r.height), r.good) << r.width << "x" << r.height;
  }
}

// The whole status log of each way out, "$" for the site; a lone image is never link-tested
// (IBrowseTo refuses the bad link itself), and one of a bad size is given up at once.
TEST(GetImage, EachWayOutOfAPage) {
  const std::string window = " (min: 100x100, max: 999999x999999) $";
  // The images, the status lines, the image shown and whether the pacing timer is armed.
  const std::tuple<std::string, std::string, std::string, bool> rows[] = {
      {"", "[GetImage()] no images, trying links|[GetLink] no links, no frames, no images", "",
       true},
      {"ads/x.jpg=200x150",
       "[GoodImage (0)] 200x150" + window + "ads/x.jpg|[I-BrowseTo] $ads/x.jpg", "", false},
      {"a.jpg=50x50", "[GetImage-BadImage] 50x50 ($a.jpg)|[GetImage-BadImage] 50x50 ($a.jpg)", "",
       true},
      {"ads/x.jpg=300x300|y.jpg=300x300",
       "[GetImage] BadLink $ads/x.jpg|[GoodImage (1)] 300x300" + window +
           "y.jpg|[I-BrowseTo] $y.jpg",
       "y.jpg", true},
  };
  for (const auto& [images, log, shown, timerArmed] : rows) {
    SCOPED_TRACE(images);
    Picker h;
    h.pick(images, {0.1f, 0.9f});
    Lines lines = fake::Split(vb::Replace(log, "$", kSite));
    const auto count = fake::Split(images).size();
    if (count > 0)
      lines.insert(lines.begin(), "[GetImage] there are " + std::to_string(count) + " images");
    EXPECT_EQ(h.status(), lines);
    EXPECT_EQ(h.shown(), shown.empty() ? Lines{} : Lines{kSite + shown});
    EXPECT_EQ(h.program.nextTimer().enabled(), timerArmed);
    EXPECT_EQ(h.trace().back(), "GetImage OUT");
  }
}

// Bad links and bad sizes share one budget of twenty rejections; the yield is on the link
// path only, and the draw after the twentieth rejection is tested but never used.
TEST(GetImage, GivesUpAPageAtTheTwentiethRejection) {
  // With three images a draw of 0.1 picks 0, 0.5 picks 1 and 0.9 picks 2.
  std::vector<float> mixed;
  for (int i = 0; i < 8; ++i) mixed.insert(mixed.end(), {0.1f, 0.5f});  // 8 links, 8 sizes
  mixed.insert(mixed.end(), {0.1f, 0.1f, 0.1f, 0.1f, 0.9f});            // links 9 to 12
  Picker h;
  h.pick("ads/0.jpg=300x300|small.jpg=20x20|good.jpg=300x300", mixed);
  EXPECT_EQ(h.countLogged("[GetImage] BadLink "), 12);
  EXPECT_EQ(h.countLogged("[GetImage-BadImage] "), 8);
  EXPECT_EQ(h.status().size(), 22u);  // and nothing else but the count and the verdict
  EXPECT_EQ(h.status().back(), "[GetImage] nothing valid on this page");
  EXPECT_EQ(h.platform.random_.draws, 21);
  EXPECT_EQ(h.platform.doEventsCalls, 12);
  EXPECT_TRUE(h.shown().empty());
  EXPECT_TRUE(h.program.nextTimer().enabled());
}

}  // namespace
