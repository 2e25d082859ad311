#include "display/get_image.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "support/harness.h"

namespace {

using Lines = std::vector<std::string>;

constexpr const char* kSite = "http://site.test/";

struct Image {
  const char* file;  // under kSite
  int width, height;
};

struct Picker : fake::Wired {
  Picker() { program.settings.MinImageWidth = program.settings.MinImageHeight = 100; }
  // Picks from a page of the given images, after the given draws.
  void pick(const std::vector<Image>& images, std::vector<float> draws = {}) {
    fake::FakeDocument doc;
    for (const Image& i : images) doc.withImage(kSite + std::string(i.file), i.width, i.height);
    platform.random_.script(std::move(draws));
    GetImage(program, doc);
  }
};

struct Size {
  int width, height;
};

// The window is 100x100 to 640x480, bounds included.
TEST(GoodImage, SizeWindowWithBoundsAndTheOneExemptSize) {
  const struct {
    const char* name;
    Size size;
    bool good;
  } rows[] = {
      {.name = "at the minimum", .size = {100, 100}, .good = true},
      {.name = "at the maximum", .size = {640, 480}, .good = true},
      {.name = "too narrow", .size = {99, 200}, .good = false},
      {.name = "too low", .size = {200, 99}, .good = false},
      {.name = "too wide", .size = {641, 200}, .good = false},
      {.name = "too high", .size = {200, 481}, .good = false},
      {.name = "the exempt size", .size = {28, 30}, .good = true},
      {.name = "one higher than it", .size = {28, 31}, .good = false},
      {.name = "one wider than it", .size = {29, 30}, .good = false},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    fake::Harness h;
    Settings& s = h.program.settings;
    s.MinImageWidth = s.MinImageHeight = 100;
    s.MaxImageWidth = 640;
    s.MaxImageHeight = 480;
    EXPECT_EQ(GoodImage(h.program, r.size.width, r.size.height), r.good);
  }
}

// The whole status log of each way out; a lone image is never link-tested (IBrowseTo refuses
// the bad link itself), and one of a bad size is given up at once.
TEST(GetImage, EachWayOutOfAPage) {
  struct Row {
    const char* name;
    std::vector<Image> images;
    Lines status;
    std::optional<std::string> shown = std::nullopt;
    bool pacingArmed;
  };
  const Row rows[] = {
      {.name = "no images",
       .images = {},
       .status = {"[GetImage()] no images, trying links",
                  "[GetLink] no links, no frames, no images"},
       .pacingArmed = true},
      {.name = "a lone image at a bad address",
       .images = {{"ads/x.jpg", 200, 150}},
       .status = {"[GetImage] there are 1 images",
                  "[GoodImage (0)] 200x150 (min: 100x100, max: 999999x999999) "
                  "http://site.test/ads/x.jpg",
                  "[I-BrowseTo] http://site.test/ads/x.jpg"},
       .pacingArmed = false},
      {.name = "a lone image too small",
       .images = {{"a.jpg", 50, 50}},
       .status = {"[GetImage] there are 1 images",
                  "[GetImage-BadImage] 50x50 (http://site.test/a.jpg)",
                  "[GetImage-BadImage] 50x50 (http://site.test/a.jpg)"},
       .pacingArmed = true},
      {.name = "a bad address, then a good image",
       .images = {{"ads/x.jpg", 300, 300}, {"y.jpg", 300, 300}},
       .status = {"[GetImage] there are 2 images", "[GetImage] BadLink http://site.test/ads/x.jpg",
                  "[GoodImage (1)] 300x300 (min: 100x100, max: 999999x999999) "
                  "http://site.test/y.jpg",
                  "[I-BrowseTo] http://site.test/y.jpg"},
       .shown = "http://site.test/y.jpg",
       .pacingArmed = true},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    Picker h;
    h.pick(r.images, {0.1f, 0.9f});
    EXPECT_EQ(h.status(), r.status);
    EXPECT_EQ(h.shown(), r.shown ? Lines{*r.shown} : Lines{});
    EXPECT_EQ(h.program.nextTimer().enabled(), r.pacingArmed);
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
  h.pick({{"ads/0.jpg", 300, 300}, {"small.jpg", 20, 20}, {"good.jpg", 300, 300}}, mixed);
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
