#include "crawler/get_link.h"

#include <gtest/gtest.h>

#include <optional>

#include "crawler/link_filters.h"
#include "support/harness.h"

namespace {

using Crawl = fake::Wired;
using fake::Page;
using Lines = std::vector<std::string>;

// r*n - 1 rounded half to even, made positive: a single link can be picked one past its end,
// and reading that fails (91) before the exit line.
TEST(GetLink, PicksTheAbsoluteRoundedIndex) {
  struct Row {
    const char* name;
    struct {
      int links;
      float draw;
    } from;                     // so many links, then the draw
    std::optional<int> picked;  // none: the read fails
  };
  const Row rows[] = {
      {.name = "-1 made positive", .from = {4, 0.0f}, .picked = 1},
      {.name = "-0.6 rounded to -1", .from = {4, 0.1f}, .picked = 1},
      {.name = "-0.5 to even", .from = {4, 0.125f}, .picked = 0},
      {.name = "0.2 rounded down", .from = {4, 0.3f}, .picked = 0},
      {.name = "0.5 to even", .from = {4, 0.375f}, .picked = 0},
      {.name = "1.5 to even", .from = {4, 0.625f}, .picked = 2},
      {.name = "2.96 rounded up", .from = {4, 0.99f}, .picked = 3},
      {.name = "one link, -0.7 gives 1", .from = {1, 0.3f}, .picked = std::nullopt},
      {.name = "one link, -0.5 to even", .from = {1, 0.5f}, .picked = 0},
      {.name = "one link, -0.1 rounded up", .from = {1, 0.9f}, .picked = 0},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    Crawl h;
    auto doc = Page();
    for (int i = 0; i < r.from.links; ++i)
      doc->withLink("http://site.example/" + std::to_string(i));
    h.platform.random_.script({r.from.draw});
    EXPECT_EQ(fake::FailureNumber([&] { GetLink(h.program, *doc); }), r.picked ? 0 : 91);
    if (!r.picked) {
      EXPECT_EQ(h.trace(), Lines{"GetLink IN"});  // the read fails before anything else
      continue;
    }
    EXPECT_EQ(h.work().navigations, Lines{"http://site.example/" + std::to_string(*r.picked)});
    EXPECT_EQ(h.trace().back(), "GetLink OUT");
  }
}

// A result link of an image search ("?imgurl=" or "&imgurl=", up to the next "&") shows the
// picture it points at if it ends in .jpg, jpeg, .gif or .png in any case; any other ending is
// logged as it came. Without an "&" the link fails with 5, the first frame's is skipped.
TEST(GetLink, ImageSearchResultsGoStraightToTheDisplay) {
  const std::string search = "http://search.example/r?", cat = "imgurl=pics.example/cat.jpg";
  struct Row {
    const char* name;
    std::string link;
    bool inFrame = false;
    std::optional<std::string> shown = std::nullopt;  // sent to a display slot
    Lines status = {};                                // the lines before the display's own
    int failure = 0;
  };
  const Row rows[] = {
      {.name = "?imgurl=",
       .link = "http://images.google.com/imgres?" + cat + "&ref=x",
       .shown = "http://pics.example/cat.jpg"},
      {.name = "&imgurl=, upper case",
       .link = search + "x=1&imgurl=pics.example/dog.JPEG&h=2",
       .shown = "http://pics.example/dog.JPEG"},
      {.name = "a scheme of its own",
       .link = search + "imgurl=http://pics.example/a.Gif&h=2",
       .shown = "http://http://pics.example/a.Gif"},
      {.name = "a bitmap",
       .link = search + "imgurl=pics.example/a.bmp&h=2",
       .status = {"[BadExtension] .bmp"}},
      {.name = "a bitmap in upper case",
       .link = search + "imgurl=pics.example/a.BMP&h=2",
       .status = {"[BadExtension] .BMP"}},
      {.name = "no & after it", .link = search + cat, .failure = 5},
      {.name = "in a frame",
       .link = search + "imgurl=pics.example/a.png&h=2",
       .inFrame = true,
       .shown = "http://pics.example/a.png",
       .status = {"[F-ImgUrl] http://pics.example/a.png"}},
      {.name = "in a frame, no & after it",
       .link = search + cat,
       .inFrame = true,
       .status = {"[BadExtension] "}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    Crawl h;
    auto doc = Page();
    if (r.inFrame) {
      doc->withFrame(r.link);
    } else {
      doc->withLinks({r.link, r.link});
    }
    EXPECT_EQ(fake::FailureNumber([&] { GetLink(h.program, *doc); }), r.failure);
    EXPECT_TRUE(h.work().navigations.empty());
    EXPECT_EQ(h.shown(), r.shown ? Lines{*r.shown} : Lines{});
    Lines status = r.status;
    if (r.shown) status.push_back("[I-BrowseTo] " + *r.shown);
    EXPECT_EQ(h.status(), status);
    EXPECT_EQ(h.pacingArmed(), r.failure == 0);
  }
}

// A refused frame address arms nothing: the clock timer's idle check takes over.
TEST(GetLink, APageWithoutLinksFallsBackOnFramesThenImages) {
  const std::string a = "http://site.example/a.html", pic = "http://pics.example/1.jpg";
  struct Row {
    const char* name;
    Lines frames = {};
    std::optional<std::string> image = std::nullopt;  // on the page, and then shown
    Lines navigated = {};
    std::string line;  // among the status lines
  };
  const Row rows[] = {
      {.name = "the first frame is followed",
       .frames = {a, "http://site.example/b.html"},
       .navigated = {a},
       .line = "[BrowseTo (depth=0)] " + a},
      {.name = "a bad frame address",
       .frames = {a + "#top"},
       .line = "[BrowseTo (depth=0)] " + a + "#top"},
      {.name = "no frames: an image",
       .image = pic,
       .line = "[GoodImage (0)] 300x200 (min: 0x0, max: 999999x999999) " + pic},
      {.name = "nothing", .line = "[GetLink] no links, no frames, no images"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    Crawl h;
    h.program.settings.MaxImageWidth = h.program.settings.MaxImageHeight = 999999;
    auto doc = Page();
    for (const auto& frame : r.frames) doc->withFrame(frame);
    if (r.image) doc->withImage(*r.image, 300, 200);
    GetLink(h.program, *doc);
    EXPECT_EQ(h.work().navigations, r.navigated);
    EXPECT_EQ(h.shown(), r.image ? Lines{*r.image} : Lines{});
    EXPECT_TRUE(h.logged(r.line));
    EXPECT_EQ(h.pacingArmed(), r.frames.empty());
  }
}

TEST(GetLink, RejectsFilesThatAreNotPagesUnlessAllowed) {
  const struct {
    const char* tag;  // "" when the link is followed
    bool allowable;   // followed once the user allows its class
    Lines files;
  } rows[] = {
      {.tag = "[BadFile-Movie] ",
       .allowable = true,
       .files = {"a.AVI", "a.wmv", "a.mpeg", "a.mpg", "a.asf"}},
      {.tag = "[BadFile-Sound] ", .allowable = true, .files = {"a.wav", "a.MP3"}},
      {.tag = "[BadFile-Doc] ", .allowable = true, .files = {"a.PDF", "a.doc", "a.xls"}},
      {.tag = "[BadFile-Archive] ",
       .allowable = false,
       .files = {"a.zip", "a.tar", "a.tgz", "a.bz2", "a.tar.gz"}},
      {.tag = "[BadFile-Script] ", .allowable = false, .files = {"a.exe", "a.VBS"}},
      {.tag = "[BadFile-Iffy] ", .allowable = false, .files = {"a.TIFF"}},
      {.tag = "", .allowable = true, .files = {"a.tif", "a.html"}},
  };
  for (const auto& r : rows) {
    for (const auto& file : r.files) {
      for (const bool allow : {false, true}) {
        const std::string link = "http://site.example/" + file;
        SCOPED_TRACE(link + (allow ? " allowed" : ""));
        Crawl h;
        Settings& s = h.program.settings;
        // The row's own class alone: the others stay refused, whatever else is allowed.
        const auto only = [&](const char* own) {
          return allow && (!r.allowable || std::string(r.tag) == own);
        };
        s.AllowMovies = only("[BadFile-Movie] ");
        s.AllowSounds = only("[BadFile-Sound] ");
        s.AllowDocs = only("[BadFile-Doc] ");
        auto doc = Page();
        doc->withLinks({link, "http://site.example/next.html"});
        h.platform.random_.script({0.5f, 0.9f});  // link 0, then link 1
        GetLink(h.program, *doc);

        const bool followed = *r.tag == '\0' || (allow && r.allowable);
        EXPECT_EQ(h.work().navigations, Lines{followed ? link : "http://site.example/next.html"});
        EXPECT_EQ(h.logged(r.tag + link), !followed);
        EXPECT_EQ(h.platform.random_.draws, followed ? 1 : 2);
        EXPECT_FALSE(h.pacingArmed());
      }
    }
  }
}

TEST(GetLink, BadLinksAndRejectedFilesShareTwentyAttempts) {
  const struct {
    const char* name;
    Lines links;
    bool alternate;  // the draws alternate between the first two links
    int rejections, yields;
  } rows[] = {
      {.name = "bad links only",
       .links = {"http://a.example/#1", "http://a.example/#2", "http://a.example/#3"},
       .alternate = false,
       .rejections = 0,
       .yields = 20},
      {.name = "rejected files only",
       .links = {"http://a.example/1.zip", "http://a.example/2.zip"},
       .alternate = false,
       .rejections = 20,
       .yields = 0},
      {.name = "both in turn",
       .links = {"http://a.example/#1", "http://a.example/2.zip"},
       .alternate = true,
       .rejections = 10,
       .yields = 10},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    Crawl h;
    for (int i = 0; r.alternate && i < 21; ++i) h.platform.random_.script({i % 2 ? 0.9f : 0.5f});
    auto doc = Page();
    doc->withLinks(r.links);
    GetLink(h.program, *doc);

    EXPECT_TRUE(h.work().navigations.empty());
    EXPECT_TRUE(h.pacingArmed());
    EXPECT_EQ(h.platform.random_.draws, 21);  // the last pick is never looked at
    EXPECT_EQ(h.platform.doEventsCalls, r.yields);
    EXPECT_EQ(h.countLogged("[BadFile-Archive] "), r.rejections);
    EXPECT_EQ(h.status().back(), "[BadLink] nothing valid on this page");
  }
}

TEST(BadLinks, TheFiftyEightEntriesInOrder) {
  std::vector<std::string> list;
  AddBadLinks(list);
  EXPECT_EQ(list, (Lines{"preferences?",
                         "services/",
                         "/ads/",
                         "options/",
                         "logo.gif",
                         "nav_",
                         "#",
                         "dictionary.com",
                         "reference.com",
                         "www.google.com",
                         "google.com/images/",
                         "google.com/imghp",
                         "advanced?",
                         "mailto:",
                         "news:",
                         "language_tools",
                         "services.google",
                         "toolbar.google",
                         "spacer.gif",
                         "javascript",
                         "/answers/",
                         "google.com/about",
                         "google.com/help",
                         "google.com/jobs",
                         "googlegroups",
                         "groups.google.com",
                         "images.google.com/intl/",
                         "arrow.gif",
                         "blank.gif",
                         "/swr?",
                         "microsoft.com",
                         "akamai.net",
                         "shopping.yahoo.com",
                         ".yimg.com",
                         "help.yahoo.com",
                         "alltheweb.com/help",
                         "www.mozilla.org",
                         "alltheweb.com/advanced",
                         "rds.yahoo.com",
                         "dummy.htm",
                         "dummy.html",
                         "/members/",
                         "www.alltheweb.com/customize?",
                         "www.alltheweb.com/search?c=web",
                         "www.alltheweb.com/search?c=mp3",
                         "www.alltheweb.com/search?c=vid",
                         "www.alltheweb.com/search?c=ftp",
                         "www.alltheweb.com/info/",
                         "yp.yahoo.com",
                         "adulthitcounter.com",
                         "adultlinklist.com",
                         "maps.yahoo.com",
                         "a248.e.akamai.net",
                         "clicks.cgi",
                         "advanced_image_search",
                         "?c=mp3",
                         "?c=vid",
                         "banner."}));
}

TEST(BadLinks, SubstringMatchIsExactAndCaseSensitive) {
  const struct {
    const char* name;
    std::string url;
    bool bad;
  } rows[] = {
      {.name = "none matches", .url = "http://site.example/page.html", .bad = false},
      {.name = "one matches", .url = "http://site.example/ads/x.html", .bad = true},
      {.name = "in another case", .url = "http://site.example/ADS/x.html", .bad = false},
      {.name = "at a segment's end", .url = "http://site.example/webservices/list", .bad = true},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    Crawl h;
    EXPECT_EQ(BadLink(h.program, r.url), r.bad);
    EXPECT_EQ(h.trace().back(), "BadLink OUT");
  }
  Crawl h;  // an empty address is bad at once, and leaves without its exit line
  EXPECT_TRUE(BadLink(h.program, ""));
  EXPECT_EQ(h.trace(), Lines{"BadLink IN"});
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
