#include "crawler/get_link.h"

#include <gtest/gtest.h>

#include <tuple>

#include "crawler/link_filters.h"
#include "support/harness.h"

namespace {

using Crawl = fake::Wired;
using fake::Page;
using Lines = std::vector<std::string>;

TEST(GetLink, PicksTheAbsoluteRoundedIndex) {
  // Links, draw, the index picked (-1: past the end, the read fails with 91).
  const std::tuple<int, float, int> rows[] = {
      {4, 0.0f, 1},   {4, 0.1f, 1},  {4, 0.125f, 0}, {4, 0.3f, 0}, {4, 0.375f, 0},
      {4, 0.625f, 2}, {4, 0.99f, 3}, {1, 0.3f, -1},  {1, 0.5f, 0}, {1, 0.9f, 0},
  };
  for (const auto& [links, draw, index] : rows) {
    SCOPED_TRACE(std::to_string(links) + " links, draw " + std::to_string(draw));
    Crawl h;
    auto doc = Page();
    for (int i = 0; i < links; ++i) doc->withLink("http://site.example/" + std::to_string(i));
    h.platform.random_.script({draw});
    EXPECT_EQ(fake::FailureNumber([&] { GetLink(h.program, *doc); }), index < 0 ? 91 : 0);
    EXPECT_EQ(h.trace().back() == "GetLink OUT", index >= 0);
    if (index >= 0) {
      EXPECT_EQ(h.work().navigations, Lines{"http://site.example/" + std::to_string(index)});
    }
  }
}

// A result link of an image search ("?imgurl=" or "&imgurl=", up to the next "&") shows the
// picture it points at if it ends in .jpg, jpeg, .gif or .png in any case; without an "&" the
// link fails with 5, the first frame's is skipped.
TEST(GetLink, ImageSearchResultsGoStraightToTheDisplay) {
  const std::string search = "http://search.example/r?", cat = "imgurl=pics.example/cat.jpg";
  // The link, in a frame, the address shown ("" for none), the status lines before the
  // display's own ("!" when GetLink fails).
  const std::tuple<std::string, bool, std::string, std::string> rows[] = {
      {"http://images.google.com/imgres?" + cat + "&ref=x", false, "pics.example/cat.jpg", ""},
      {search + "x=1&imgurl=pics.example/dog.JPEG&h=2", false, "pics.example/dog.JPEG", ""},
      {search + "imgurl=http://pics.example/a.Gif&h=2", false, "http://pics.example/a.Gif", ""},
      {search + "imgurl=pics.example/a.bmp&h=2", false, "", "[BadExtension] .bmp"},
      {search + cat, false, "", "!"},
      {search + "imgurl=pics.example/a.png&h=2", true, "pics.example/a.png",
       "[F-ImgUrl] http://pics.example/a.png"},
      {search + cat, true, "", "[BadExtension] "},
  };
  for (const auto& [link, inFrame, address, lines] : rows) {
    SCOPED_TRACE(link + (inFrame ? " in a frame" : ""));
    Crawl h;
    auto doc = Page();
    if (inFrame) {
      doc->withFrame(link);
    } else {
      doc->withLinks({link, link});
    }
    const bool fails = lines == "!";
    EXPECT_EQ(fake::FailureNumber([&] { GetLink(h.program, *doc); }), fails ? 5 : 0);
    EXPECT_TRUE(h.work().navigations.empty());
    const Lines shown = address.empty() ? Lines{} : Lines{"http://" + address};
    EXPECT_EQ(h.shown(), shown);
    if (fails) continue;
    Lines status = fake::Split(lines);
    if (!shown.empty()) status.push_back("[I-BrowseTo] " + shown[0]);
    EXPECT_EQ(h.status(), status);
    EXPECT_TRUE(h.pacingArmed());
  }
}

// A refused frame address arms nothing: the clock timer's idle check takes over.
TEST(GetLink, APageWithoutLinksFallsBackOnFramesThenImages) {
  const std::string a = "http://site.example/a.html", pic = "http://pics.example/1.jpg";
  const std::tuple<Lines, std::string, std::string, std::string> rows[] = {
      {{a, "http://site.example/b.html"}, "", a, "[BrowseTo (depth=0)] " + a},
      {{a + "#top"}, "", "", "[BrowseTo (depth=0)] " + a + "#top"},  // a bad link
      {{}, pic, "", "[GoodImage (0)] 300x200 (min: 0x0, max: 999999x999999) " + pic},
      {{}, "", "", "[GetLink] no links, no frames, no images"},
  };
  for (const auto& [frames, image, navigated, line] : rows) {
    SCOPED_TRACE(line);
    Crawl h;
    h.program.settings.MaxImageWidth = h.program.settings.MaxImageHeight = 999999;
    auto doc = Page();
    for (const auto& frame : frames) doc->withFrame(frame);
    if (!image.empty()) doc->withImage(image, 300, 200);
    GetLink(h.program, *doc);
    EXPECT_EQ(h.work().navigations, navigated.empty() ? Lines{} : Lines{navigated});
    EXPECT_EQ(h.shown(), image.empty() ? Lines{} : Lines{image});
    EXPECT_TRUE(h.logged(line));
    EXPECT_EQ(h.pacingArmed(), frames.empty());
  }
}

TEST(GetLink, RejectsFilesThatAreNotPagesUnlessAllowed) {
  // The tag ("" when the link is followed), whether it is followed once the user allows its
  // class, the files.
  const std::tuple<std::string, bool, Lines> rows[] = {
      {"[BadFile-Movie] ", true, {"a.AVI", "a.wmv", "a.mpeg", "a.mpg", "a.asf"}},
      {"[BadFile-Sound] ", true, {"a.wav", "a.MP3"}},
      {"[BadFile-Doc] ", true, {"a.PDF", "a.doc", "a.xls"}},
      {"[BadFile-Archive] ", false, {"a.zip", "a.tar", "a.tgz", "a.bz2", "a.tar.gz"}},
      {"[BadFile-Script] ", false, {"a.exe", "a.VBS"}},
      {"[BadFile-Iffy] ", false, {"a.TIFF"}},
      {"", true, {"a.tif", "a.html"}},
  };
  for (const auto& [tag, allowable, files] : rows) {
    for (const auto& file : files) {
      for (const bool allow : {false, true}) {
        const std::string link = "http://site.example/" + file;
        SCOPED_TRACE(link + (allow ? " allowed" : ""));
        Crawl h;
        Settings& s = h.program.settings;
        // The row's own class alone: the others stay refused, whatever else is allowed.
        const auto only = [&](const char* own) { return allow && (!allowable || tag == own); };
        s.AllowMovies = only("[BadFile-Movie] ");
        s.AllowSounds = only("[BadFile-Sound] ");
        s.AllowDocs = only("[BadFile-Doc] ");
        auto doc = Page();
        doc->withLinks({link, "http://site.example/next.html"});
        h.platform.random_.script({0.5f, 0.9f});  // link 0, then link 1
        GetLink(h.program, *doc);

        const bool followed = tag.empty() || (allow && allowable);
        EXPECT_EQ(h.work().navigations, Lines{followed ? link : "http://site.example/next.html"});
        EXPECT_EQ(h.logged(tag + link), !followed);
        EXPECT_EQ(h.platform.random_.draws, followed ? 1 : 2);
        EXPECT_FALSE(h.pacingArmed());
      }
    }
  }
}

TEST(GetLink, BadLinksAndRejectedFilesShareTwentyAttempts) {
  // The links, whether the draws alternate between the first two, rejections and yields.
  const std::tuple<Lines, bool, int, int> rows[] = {
      {{"http://a.example/#1", "http://a.example/#2", "http://a.example/#3"}, false, 0, 20},
      {{"http://a.example/1.zip", "http://a.example/2.zip"}, false, 20, 0},
      {{"http://a.example/#1", "http://a.example/2.zip"}, true, 10, 10},
  };
  for (const auto& [links, alternate, rejections, yields] : rows) {
    SCOPED_TRACE(links[1]);
    Crawl h;
    for (int i = 0; alternate && i < 21; ++i) h.platform.random_.script({i % 2 ? 0.9f : 0.5f});
    auto doc = Page();
    doc->withLinks(links);
    GetLink(h.program, *doc);

    EXPECT_TRUE(h.work().navigations.empty());
    EXPECT_TRUE(h.pacingArmed());
    EXPECT_EQ(h.platform.random_.draws, 21);  // the last pick is never looked at
    EXPECT_EQ(h.platform.doEventsCalls, yields);
    EXPECT_EQ(h.countLogged("[BadFile-Archive] "), rejections);
    EXPECT_EQ(h.status().back(), "[BadLink] nothing valid on this page");
  }
}

TEST(BadLinks, TheFiftyEightEntriesInOrder) {
  std::vector<std::string> list;
  AddBadLinks(list);
  EXPECT_EQ(
      list,
      fake::Split(
          "preferences? services/ /ads/ options/ logo.gif nav_ # dictionary.com reference.com "
          "www.google.com google.com/images/ google.com/imghp advanced? mailto: news: "
          "language_tools services.google toolbar.google spacer.gif javascript /answers/ "
          "google.com/about google.com/help google.com/jobs googlegroups groups.google.com "
          "images.google.com/intl/ arrow.gif blank.gif /swr? microsoft.com akamai.net "
          "shopping.yahoo.com .yimg.com help.yahoo.com alltheweb.com/help www.mozilla.org "
          "alltheweb.com/advanced rds.yahoo.com dummy.htm dummy.html /members/ "
          "www.alltheweb.com/customize? www.alltheweb.com/search?c=web "
          "www.alltheweb.com/search?c=mp3 www.alltheweb.com/search?c=vid "
          "www.alltheweb.com/search?c=ftp www.alltheweb.com/info/ yp.yahoo.com "
          "adulthitcounter.com adultlinklist.com maps.yahoo.com a248.e.akamai.net clicks.cgi "
          "advanced_image_search ?c=mp3 ?c=vid banner.",
          ' '));
}

TEST(BadLinks, SubstringMatchIsExactAndCaseSensitive) {
  const std::pair<const char*, bool> rows[] = {
      {"", true},  // and leaves without its exit line
      {"http://site.example/page.html", false},
      {"http://site.example/ads/x.html", true},
      {"http://site.example/ADS/x.html", false},
      {"http://site.example/webservices/list", true},  // "services/" at a segment's end
  };
  for (const auto& [url, bad] : rows) {
    Crawl h;
    EXPECT_EQ(BadLink(h.program, url), bad) << url;
    EXPECT_EQ(h.trace().back(), *url ? "BadLink OUT" : "BadLink IN") << url;
  }
}

// Character by character: ASCII punctuation becomes a space, an apostrophe vanishes, letters,
// digits, control characters and the bytes of UTF-8 letters stay.
TEST(StripPunctuation, PunctuationBecomesSpacesApostrophesVanish) {
  Crawl h;
  EXPECT_EQ(StripPunctuation(h.program,
                             "Hello! well-known don't salt&pepper x...y [a]{b}~|\\^`@ "
                             "caf\xC3\xA9 tab\there 42 !\"#$%()*+,./:;<=>?"),
            "Hello  well known dont salt pepper x   y  a  b        caf\xC3\xA9 tab\there 42" +
                std::string(19, ' '));
}

}  // namespace
